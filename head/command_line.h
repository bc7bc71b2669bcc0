#pragma once
// Where a built switch command leaves the head layer: the live link implements the timed
// send on the port; tests and tools implement it to capture the frame.

#include "head/switch_command.h"

namespace tarvisk {

class CommandLine {
  public:
    virtual ~CommandLine() = default;
    virtual void TransmitCommand(const SwitchCommand& frame) = 0;
};

}  // namespace tarvisk
