#pragma once
// The send sequence's scheduling: the thread is raised to real-time round-robin where the
// system allows it, or failing that to a lower nice value, for the few milliseconds of the
// sequence, so another process's time slice does not land in the middle of its waits.

#include <string>

namespace tarvisk {

enum class RaisedPriority { RealTime, Nice, None };

class SendPriority {
  public:
    // Raises the calling thread. A kind of raise the system refused once is not tried again.
    RaisedPriority Raise();
    // Puts the calling thread back as Raise found it.
    void Restore();
    // Why the raises tried were refused.
    const std::string& Refusal() const { return refusal_; }

  private:
    RaisedPriority raised_ = RaisedPriority::None;
    bool realTimeRefused_ = false;
    bool niceRefused_ = false;
    int savedPolicy_ = 0;
    int savedPriority_ = 0;
    int savedNice_ = 0;
    std::string refusal_;
};

}  // namespace tarvisk
