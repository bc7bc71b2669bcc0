#pragma once
// Signals that end a session (logging out, shutting down, Ctrl-C) close the program as the
// operator would: the handler only writes the signal's number into a pipe, and the event loop
// reads it and runs the close on the window thread. A second such signal while the first is
// still being handled ends the program at once. The handlers go in first thing, so a signal
// during start-up waits in the pipe until the window can close.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tarvisk {

// A file-size limit or a reader that went away becomes an ordinary write error (the file is
// cut back to whole records and the operator told) instead of killing the program.
void IgnoreWriteErrorSignals();

// Catches SIGTERM, SIGHUP (unless it was ignored, as under nohup) and SIGINT from now on, also
// when the parent started us with them blocked. Call before anything else in main().
void CatchCloseSignals();

class SignalBridge : public QObject {
  public:
    // Hands the signals caught (before it, too) to onSignal on the thread that owns the bridge.
    explicit SignalBridge(std::function<void(int)> onSignal);
    ~SignalBridge() override;
    SignalBridge(const SignalBridge&) = delete;
    SignalBridge& operator=(const SignalBridge&) = delete;

  private:
    void Drain();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tarvisk
