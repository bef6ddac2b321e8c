// The windows a display shows for boxes and menus that no handler or chooser
// takes: a message box as a small dialog of its own, a pop-up menu as a list
// the person points at. Both answer false off the display's thread.
#pragma once

#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"

namespace platform::ui::x11 {

bool ShowMessageBoxWindow(const platform::MessageBoxRequest& box, int* answer);
bool ShowPopupMenuWindow(const platform::MenuRequest& request, int x, int y, UINT* picked);

}  // namespace platform::ui::x11
