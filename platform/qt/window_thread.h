#pragma once
// Work handed to the window thread by the acquisition thread and the others: dialogs the scans
// open, titles, redraws of child windows. Qt's own queued calls pass their functor and what it
// captured through Qt's locks, which a thread checker cannot see in a Qt not built for it; this
// hand-off goes through a std::mutex, so every such passage is checked like the rest.

#include <QObject>
#include <functional>

namespace tarvisk {

// Once on the window thread, before other threads hand work over (the main window does it).
void InstallWindowThreadQueue();

// Runs `task` on the window thread: at once when called there, otherwise at its next pass,
// and not at all when `context` is destroyed first.
void PostToWindowThread(QObject* context, std::function<void()> task);

// Runs `task` on the window thread and returns once it has run (or was dropped because
// `context` went first or the queue was taken down).
void RunOnWindowThread(QObject* context, std::function<void()> task);

}  // namespace tarvisk
