#pragma once
// The shot pipeline's entry point: the acquisition thread calls ProcessShot once for every
// reply it has read into the link's buffer.

#include "head/head_link.h"
#include "head/reply_decode.h"

namespace tarvisk {

class ShotHandler {
  public:
    virtual ~ShotHandler() = default;
    virtual void ProcessShot() = 0;
};

// Checks and decodes each reply and nothing more; stands in for the pipeline in tools and
// link tests.
class DecodeOnlyShotHandler : public ShotHandler {
  public:
    explicit DecodeOnlyShotHandler(HeadLink& link) : link_(link) {}
    void ProcessShot() override { lastValid_ = CheckAndDecodeReply(link_); }
    bool LastValid() const { return lastValid_; }

  private:
    HeadLink& link_;
    bool lastValid_ = false;
};

}  // namespace tarvisk
