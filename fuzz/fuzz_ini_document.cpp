// Ini files as read from disk: any bytes in either code page the machine uses,
// then every query and an edit, whose text must read back to the same value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const UINT codePage = (data[0] & 1) ? 932 : 1252;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  platform::IniDocument document(text, codePage);
  for (const std::string& section : document.SectionNames()) {
    document.HasSection(section);
    if (auto keys = document.KeyNames(section)) {
      for (const std::string& key : *keys) document.Value(section, key);
    }
    document.SectionEntries(section);
  }
  if (document.SetValue("Fuzz", "Key", "Value")) {
    platform::IniDocument again(document.Text(), codePage);
    if (again.Value("Fuzz", "Key") != std::string("Value")) __builtin_trap();
  }
  if (!document.SectionNames().empty()) document.DeleteSection(document.SectionNames().front());
  return 0;
}
