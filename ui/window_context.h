#pragma once
// What the window's presenters (its menu commands, its switch between head and file) act on:
// the system and the window's own parts, handed over as one.

#include "display/status_panel.h"
#include "platform/menu_model.h"
#include "ui/live_link.h"
#include "ui/sonar_system.h"
#include "ui/window_drawing.h"
#include "ui/window_shell.h"
#include "ui/window_state.h"

namespace tarvisk {

struct WindowContext {
    SonarSystem& system;
    LiveLink& link;
    MenuModel& menu;
    StatusPanel& panel;
    WindowState& state;
    WindowDrawing& drawing;
    WindowShell& shell;
};

}  // namespace tarvisk
