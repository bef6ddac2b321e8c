// Printers as the shell's printers folder presents them to a context-menu
// handler: a queue item, or a device object that stands for every queue of one
// printer. Both carry the device flag, a queue name and the display name.
#pragma once

#include <string>
#include <vector>

#include "platform/shell/shell_items.h"

// VT_BOOL: true for a device object.
extern "C" const PROPERTYKEY PKEY_PrinterIsDeviceObject;
// VT_LPWSTR: the queue the item stands for (a device object: its first queue).
extern "C" const PROPERTYKEY PKEY_PrinterQueueName;
// VT_VECTOR | VT_LPWSTR: "<server>,<queue>" for each queue of a device (6.1 only).
extern "C" const PROPERTYKEY PKEY_PrinterDeviceQueues;

namespace platform {

// Names in the ANSI code page, as the spooler's ANSI calls give them.
ShellItemProperties PrinterQueueItem(const std::string& queue);
ShellItemProperties PrinterDeviceItem(const std::vector<std::string>& queues, const std::string& displayName);

}  // namespace platform
