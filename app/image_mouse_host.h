#pragma once
// The image mouse's ties to the Qt host: the pointer shape over the image and the menus.

#include "platform/qt/host_window.h"
#include "ui/image_mouse.h"

namespace tarvisk {

// Binds the pointer shape and the menus of the host window to the image mouse.
void ConnectImageMouse(ImageMouse& mouse, HostWindow& host);

}  // namespace tarvisk
