#pragma once

namespace tarvisk {

class ShotHandler {
public:
    virtual ~ShotHandler() = default;
    virtual void ProcessShot() = 0;
};

}  // namespace tarvisk
