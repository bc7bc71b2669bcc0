#pragma once
// The configuration part of the program at start-up: the user configuration named in the
// settings, the auto setup on every range redraw, and the setup dialogs behind their menu items.

namespace tarvisk {

struct SonarSystem;
class MainWindow;
class LiveLink;

void InstallConfigWiring(SonarSystem& system, MainWindow& window, LiveLink& link);

}  // namespace tarvisk
