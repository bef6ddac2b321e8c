// The ini files that are shared or kept between runs and so may hold anything:
// the installer's printer information file (the "Fonts" and "Macros" sections
// read entry by entry and parsed as the update from the file parses them), the
// monitor's notification settings, and VPT.INI with its logical-printer rows.
//
// Input: one control byte (the file: 0 the information file, 1 the monitor's
// settings, 2 VPT.INI), then the file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fontinstaller/installed_store.h"
#include "fuzz/file_support.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/profile.h"
#include "query/logical_printers.h"
#include "query/query_settings.h"

namespace {

const std::string& Folder() {
  static const std::string folder = fuzzfiles::Folder("fuzz_info_files");
  return folder;
}

// VPT.INI lives in the settings folder: here, the target's own folder.
DWORD VptFolder(int32_t, char* buffer, DWORD size) {
  const std::string& folder = Folder();
  if (folder.size() + 1 > size) return ERROR_INSUFFICIENT_BUFFER;
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return ERROR_SUCCESS;
}

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  return fuzzfiles::WriteInput(Folder(), name, data, size);
}

template <class Entry, class Parse>
void ReadEntries(const std::string& file, const char* section, Parse parse) {
  GetPrivateProfileIntA(section, "ChangeCounter", 0, file.c_str());
  HGLOBAL enumeration = InitEnumIniEntries(file.c_str(), section);
  if (!enumeration) return;
  char key[64];
  char value[1024];
  while (EnumIniEntries(enumeration, key, sizeof key, value, sizeof value)) {
    Entry entry{};
    parse(key, value, &entry);
  }
  EndEnumIniEntries(enumeration);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const bool bound = [] {
    SettingsFunctions settings;
    settings.getPath = VptFolder;
    SetQuerySettings(settings);
    return true;
  }();
  (void)bound;
  const uint8_t which = data[0] % 3;
  if (which == 0) {
    const std::string file = WriteInput("SITE.PRI", data + 1, size - 1);
    if (file.empty()) return 0;
    ReadEntries<fontinstaller::InstalledFontEntry>(file, "Fonts", parseFontIniEntry);
    ReadEntries<fontinstaller::InstalledMacroEntry>(file, "Macros", parseMacroIniEntry);
    using fontinstaller::InstalledFontEntry;
    ReadEntries<InstalledFontEntry>(
        file, "Fonts", [](LPCSTR key, LPSTR value, InstalledFontEntry* e) { return parseCartIniEntry(key, value, e); });
  } else if (which == 1) {
    const std::string file = WriteInput("PRMONSET.INI", data + 1, size - 1);
    if (file.empty()) return 0;
    for (const char* key :
         {"IDS_EVENT_CRITICAL_ENGINE_FAULT", "IDS_EVENT_SERIOUS_OFFLINE", "IDS_EVENT_SERIOUS_PAPER_JAM",
          "IDS_EVENT_SERIOUS_COVER_OPEN", "IDS_EVENT_SERIOUS_TONER_OUT", "IDS_EVENT_SERIOUS_PAPER_OUT"}) {
      DP_ReadProfileString("Printer", key, file.c_str());
    }
  } else {
    if (WriteInput("VPT.INI", data + 1, size - 1).empty()) return 0;
    SnmpSession session{};
    session.logicalPrinterCache = 1;
    int row = 0;
    FindCachedLogicalPrinterRow("127.0.0.1", &session, "Tray", &row);
    FindCachedLogicalPrinterRow("Printer", &session, "\x83\x76\x83\x8a", &row);
  }
  return 0;
}
