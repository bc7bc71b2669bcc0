#pragma once
// Signals that end a session (logging out, shutting down, Ctrl-C) close the program as the
// operator would: the handler only writes the signal's number into a pipe, and the event loop
// reads it and runs the close on the window thread. A second such signal while the first is
// still being handled ends the program at once.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tarvisk {

// A file-size limit or a reader that went away becomes an ordinary write error (the file is
// cut back to whole records and the operator told) instead of killing the program.
void IgnoreWriteErrorSignals();

class SignalBridge : public QObject {
  public:
    // Catches SIGTERM, SIGHUP and SIGINT; onSignal runs on the thread that owns the bridge.
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
