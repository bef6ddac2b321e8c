// The names this extension is known by: its class id and the registry names the
// shell finds it under.
#pragma once

#include "platform/shell/com.h"

namespace shellext {

// {5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}
inline constexpr CLSID ShellExtClsid = {0x5D1C0B7A, 0x93E2, 0x4F6B, {0x8A, 0x41, 0x2C, 0x7E, 0x9B, 0x30, 0x5F, 0x18}};

inline constexpr char kClassDescription[] = "Calyxon Shell Extension 3D5";
inline constexpr char kHandlerName[] = "CalyxonContextMenu3D5";
inline constexpr char kPrintersHandlerKey[] = "Printers\\shellex\\ContextMenuHandlers";

// Command kinds; each is also the string id of its menu text.
inline constexpr int kKindMonitor = 1;
inline constexpr int kKindReadme = 2;
inline constexpr int kKindQuickTabs = 8;
inline constexpr UINT kPopupTitle = 6;

inline constexpr char kSettingsLibrary[] = "zeldb5.dll";
inline constexpr char kUiLibrary[] = "zeluid5.dll";
inline constexpr char kMonitorProgram[] = "vigilod5.exe";
inline constexpr char kQuickTabsProgram[] = "vorbs.exe";

}  // namespace shellext
