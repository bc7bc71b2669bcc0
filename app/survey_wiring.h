#pragma once
// The survey products in the window program: the automated scans, auto frame capture and the
// profile records' time and position.

#include <QObject>
#include <memory>

namespace tarvisk {

class AcquisitionLiveLink;
class FileSession;
class MainWindow;
struct ShotHooks;
struct SonarSystem;

// Builds them, registers the scans as the window's features and plugs them into the
// acquisition loop, the playback step and the pipeline hooks (set hooks.profileContext before
// they are given to the pipeline). The caller owns them and lets them go before the file
// session they unplug themselves from.
std::unique_ptr<QObject> InstallSurvey(SonarSystem& system, MainWindow& window,
                                       AcquisitionLiveLink& link, FileSession& files,
                                       ShotHooks& hooks);

}  // namespace tarvisk
