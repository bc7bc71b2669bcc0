#pragma once
// The main window's menu bar ("TARVISK") and its command identifiers.

#include <cstdint>
#include <vector>

#include "platform/menu_model.h"

namespace tarvisk {

enum MenuId : int32_t {
    IdPlayback = 10,
    IdRecord = 15,
    IdCopy = 16,
    IdExit = 18,
    IdColourFirst = 80,  // 80..88
    IdColourLast = 88,
    IdAbout = 100,
    IdComPorts = 105,
    IdXdcrUp = 200,
    IdXdcrDown = 201,
    IdClearScreen = 205,
    IdGrid = 206,
    IdSaveScreen = 207,
    IdAutoFrameCapture = 208,
    IdSettings = 310,
    IdDiagnostics = 600,
    IdOnWhenMinimized = 650,
    IdHeadScan = 655,
    IdPixelZoom = 700,
    IdMeters = 810,
    IdFeet = 811,
    IdSoundVelocity = 820,
    IdRotateImage = 825,
    IdUserText = 830,
    IdProfileModeFirst = 950,  // 950..954
    IdProfileModeLast = 954,
    IdCalibrate = 960,
    IdProfileSetup = 970,
    IdAutoProfileVertical = 980,
    IdAutoAzimuth = 981,
    IdAutoProfileHorizontal = 982,
    IdProfileGrid = 1000,
    IdZeroDown = 1010,
    IdSonarHead = 2000,
    IdAzimuthDrive = 2001,
    IdChangeAzimuth = 2002,
    IdSimulateAzimuth = 2004,
    IdOrientationModule = 2005,
};

std::vector<MenuItemSpec> TarviskMenuBar();

}  // namespace tarvisk
