#pragma once
// A flag another thread can raise to end a wait at once: an eventfd, so a wait can poll it beside
// the serial line (a stop never sits out the rest of a wait) or an event loop can watch it (the
// window thread woken for a frame or for work handed to it).

namespace tarvisk {

class WakeEvent {
  public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // Any thread: ends the current and every later wait until Clear.
    void Signal();
    void Clear();
    // Waits up to `timeoutMs` for a signal; true when there is one.
    bool WaitMilliseconds(int timeoutMs) const;
    // For a poll beside other descriptors (-1 when the system gave none).
    int Fd() const { return fd_; }

  private:
    int fd_ = -1;
};

}  // namespace tarvisk
