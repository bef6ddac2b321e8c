// The registry entries that make the shell offer this extension's menu for the
// driver's printers: the class under "CLSID" and the handler under the key the
// shell looks in for printers (the Printers folder before Windows 6.1, the
// device object of the driver's hardware id from 6.1 on).
#pragma once

#include <optional>
#include <string>

namespace shellext {

// The handler key for the printer; nothing when it cannot be told (the printer
// cannot be opened, or from 6.1 on its driver has no hardware id).
std::optional<std::string> ShellExtHandlerKey(const char* printerName);

// Writes the entries; false (with debugger text) when they could not all be written.
bool RegisterShellExtensionFor(const char* printerName);

// "ProductVersion" of the user-interface library beside this module, up to 16
// characters; empty when unreadable.
std::string GetUiDllProductVersion();

}  // namespace shellext
