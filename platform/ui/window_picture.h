// Pictures of windows as a user sees them: a window with every visible window
// inside it, and for a top-level window with a caption its frame and title bar.
// Tests and the scripted user save them as PNG files.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/user.h"

namespace platform::ui {

// Paints whatever is invalid under `window`, then composes its surface with its
// visible descendants, each clipped to its parent. Null for no such window.
std::shared_ptr<platform::gdi::PixelSurface> ComposeWindowPicture(HWND window);

// The client area alone, with its child windows but not the pop-ups it owns:
// what a display shows inside the frame its window manager draws.
std::shared_ptr<platform::gdi::PixelSurface> ComposeClientPicture(HWND window);

// Writes ComposeWindowPicture(window) to a PNG file at a host path; false when
// there is no such window or the file cannot be written.
bool SaveWindowPicture(HWND window, const std::string& hostPath);

}  // namespace platform::ui
