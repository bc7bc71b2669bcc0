#pragma once
// The dialogs and scans that the menu commands open but that other parts of the program
// build. Each part installs its entry at start-up (an app/*_wiring.cpp file of its own); the
// command layer calls it and, while an entry is empty, says plainly that the function is not
// available yet, so no menu item is ever a silent no-op.

#include <functional>

namespace tarvisk {

struct FeatureSeams {
    // Setup dialogs.
    std::function<void()> comPorts;       // "Com Po&rts"
    std::function<void()> settings;       // "&Settings" (live) / the settings view (playback)
    std::function<void()> soundVelocity;  // "&Sound Velocity..."
    std::function<void()> rotateImage;    // "Rotate Sonar Image"
    std::function<void()> userText;       // "User &Text..."
    std::function<void()> profileSetup;   // "&Profile Setup..."
    std::function<void()> about;          // "About"
    // Automated scans.
    std::function<void(bool vertical)> autoProfile;
    std::function<void()> autoAzimuth;
};

}  // namespace tarvisk
