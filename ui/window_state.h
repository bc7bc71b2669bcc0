#pragma once
// What the window's presenters (the menu commands, the mode switch) share with each other and
// with the parts built around the window: the files layer once it is there, the parts and
// features registered at start-up, the input run state and how messages are told. The Qt
// window holds one for the whole run.

#include "settings/shared_value.h"
#include "ui/feature_dispatcher.h"
#include "ui/input_state.h"
#include "ui/window_part.h"

namespace tarvisk {

class FileCommands;

struct WindowState {
    // Set by the files layer when it is built in; the menu's file commands go to it.
    FileCommands* fileCommands = nullptr;
    // The parts built around the window hear of shots, mode switches and redraws here.
    WindowParts parts;
    // Dialogs and scans built by other parts of the program, by the feature they provide.
    FeatureDispatcher features;
    // Run state of the panel, keyboard and mouse input.
    InputState input;
    // Scripted runs: warnings go to stderr instead of a modal box, nobody being there to
    // close it.
    bool scripted = false;
    // Playback only: each shown frame is examined for capture (the survey products).
    SharedInt AutoFrameCapture{0};
};

}  // namespace tarvisk
