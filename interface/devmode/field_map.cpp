#include "interface/devmode/field_map.h"

#include <string>

#include "common/devmode_field_map.h"
#include "platform/base/value_types.h"
#include "platform/spooler/spooler.h"

void PublishDevModeFieldMap(HANDLE printer) {
  for (const DevModeFieldMapEntry& entry : kDevModeFieldMap) {
    std::string name = entry.name;
    DWORD offset = entry.offset;
    SetPrinterDataA(printer, name.data(), REG_DWORD, reinterpret_cast<BYTE*>(&offset), sizeof offset);
  }
}
