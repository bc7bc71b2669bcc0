#pragma once
// Start-up and the scripted-run options, shared by the program's entry point and the GUI
// tests, which start the same program in-process.

#include <QObject>
#include <memory>

#include "app/main_window.h"
#include "ui/command_line_options.h"
#include "ui/live_link.h"
#include "ui/sonar_system.h"

namespace tarvisk {

namespace sim {
class HeadSimulator;
}
class FileSession;

// Registers the logo, icon and cursor artwork; call once before the first window.
void InitTarviskResources();

class Program {
  public:
    explicit Program(CommandLineOptions options);
    ~Program();

    // Reads the INI file, creates the window, shows it and applies the run mode. Returns
    // false with a message when the options cannot be honoured.
    bool Start(std::string& error, bool showSplash = true);

    SonarSystem& System() { return *system_; }
    MainWindow& Window() { return *window_; }
    // Takes the capture asked for, then closes as the operator would.
    void Quit();
    // A signal asked the program to end: close as the operator would, without waiting for
    // anyone to answer a message box.
    void CloseOnSignal();
    // Non-zero when something the command line asked for could not be done.
    int ExitStatus() const { return exitStatus_; }
    // A start from the desktop menu: the survey folder it works in, told in the title when
    // this start made it; or why it could not be made, told in a message box.
    void TellWorkingFolder(std::string createdFolder, std::string problem) {
        createdFolder_ = std::move(createdFolder);
        folderProblem_ = std::move(problem);
    }

  private:
    void TellFolder();

    CommandLineOptions options_;
    std::unique_ptr<SonarSystem> system_;
    std::unique_ptr<sim::HeadSimulator> simulator_;
    std::unique_ptr<LiveLink> link_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FileSession> files_;
    std::unique_ptr<class Peripherals> peripherals_;
    std::unique_ptr<QObject> survey_;  // the automated scans and frame capture
    class QuitAfterShots;
    std::unique_ptr<QuitAfterShots> quitAfter_;
    std::string createdFolder_;
    std::string folderProblem_;
    bool quitting_ = false;
    int exitStatus_ = 0;
};

}  // namespace tarvisk
