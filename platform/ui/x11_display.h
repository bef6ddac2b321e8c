// Windows on a real display: with DISPLAY set, each shown top-level window of
// the thread that showed the first one becomes an X11 window painted from the
// same pixel surfaces the PNG writer uses, and the person's pointer and keys
// come back as the messages Windows sends. ZEL_DISPLAY=off keeps a process
// headless although DISPLAY is set; without DISPLAY nothing here runs.
#pragma once

#include <string>

#include "platform/ui/user.h"

namespace platform::ui::x11 {

// Opens the display on the first call that finds one (from then on the
// calling thread's loop waits on it); whether windows go to a display.
bool DisplayActive();
// Whether the calling thread is the one whose windows go to the display.
bool OnDisplayThread();
// A top-level window was shown or hidden (ShowWindow), or is gone.
void WindowShown(HWND window, bool shown);
void WindowDestroyed(HWND window);
// The display's window for a top-level window, 0 for none (screenshots).
unsigned long DisplayWindowOf(HWND window);
// Paints what is invalid and brings every display window up to date with its
// picture; the loop does this whenever it is about to wait.
void Refresh();

}  // namespace platform::ui::x11
