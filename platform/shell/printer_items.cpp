#include "platform/shell/printer_items.h"

#include "platform/base/codepage.h"

extern "C" const PROPERTYKEY PKEY_PrinterIsDeviceObject = {
    {0x78C34FC8, 0x104A, 0x4ACA, {0x9E, 0xA4, 0x52, 0x4D, 0x52, 0x99, 0x6E, 0x57}}, 85};
extern "C" const PROPERTYKEY PKEY_PrinterQueueName = {
    {0x656A3BB3, 0xECC0, 0x43FD, {0x84, 0x77, 0x4A, 0xE0, 0x40, 0x4A, 0x96, 0xCD}}, 12288};
extern "C" const PROPERTYKEY PKEY_PrinterDeviceQueues = {
    {0xD08DD4C0, 0x3A9E, 0x462E, {0x82, 0x90, 0x7B, 0x63, 0x6B, 0x25, 0x76, 0xB9}}, 2};

namespace platform {

ShellItemProperties PrinterQueueItem(const std::string& queue) {
  const std::u16string name = ToUtf16(queue);
  return {{PKEY_PrinterIsDeviceObject, false},
          {PKEY_PrinterQueueName, name},
          {PKEY_PrinterDeviceQueues, std::vector<std::u16string>{u"," + name}},
          {PKEY_ItemNameDisplay, name}};
}

ShellItemProperties PrinterDeviceItem(const std::vector<std::string>& queues, const std::string& displayName) {
  std::vector<std::u16string> listed;
  for (const std::string& queue : queues) listed.push_back(u"," + ToUtf16(queue));
  return {{PKEY_PrinterIsDeviceObject, true},
          {PKEY_PrinterQueueName, queues.empty() ? std::u16string() : ToUtf16(queues.front())},
          {PKEY_PrinterDeviceQueues, listed},
          {PKEY_ItemNameDisplay, ToUtf16(displayName)}};
}

}  // namespace platform
