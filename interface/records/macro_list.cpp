#include "interface/records/macro_list.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr DWORD kListBuffer = 1024;
constexpr DWORD kRecordBuffer = 512;
constexpr size_t kLabelBlanks = 68;

std::string LocationLabel(int32_t location) {
  UINT id = 0;
  switch (location) {
    case kMacroPcDisk: id = IDS_MACRO_PC_DISK; break;
    case kMacroPcDiskMemory: id = IDS_MACRO_PC_DISK_MEMORY; break;
    case kMacroPrinterDisk: id = IDS_MACRO_PRINTER_DISK; break;
    case kMacroPrinterDiskMemory: id = IDS_MACRO_PRINTER_DISK_MEMORY; break;
    case kMacroPrinterDiskResident: id = IDS_MACRO_PRINTER_DISK_RESIDENT; break;
    default: id = IDS_NONE_ENTRY; break;
  }
  char label[128] = {};
  LoadResString(id, label, sizeof label);
  return label;
}

// The ids of a list, each ended by ";"; text after the last ";" is no id.
std::vector<std::string_view> ListIds(std::string_view list) {
  std::vector<std::string_view> ids;
  size_t start = 0;
  for (size_t end = list.find(';'); end != std::string_view::npos; end = list.find(';', start)) {
    ids.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return ids;
}

// A macro id: leading blanks and one "+" skipped, then decimal digits only.
std::optional<int32_t> MacroId(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 0x7FFFFFFF) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

std::optional<MacroChoice> ReadChoice(HANDLE printer, int kind, const std::string& section, const std::string& key,
                                      int32_t id, int32_t location) {
  std::optional<std::string> value =
      records::ReadSettingText(printer, kind, section.c_str(), key.c_str(), kRecordBuffer);
  if (!value) return std::nullopt;
  std::optional<fontrecord::RecordText> record = fontrecord::ParseRecordText(*value);
  if (!record) return std::nullopt;
  MacroChoice choice{};
  choice.id = id;
  choice.location = location;
  records::CopyText(choice.name, record->metricsFileName);
  return choice;
}

MacroChoice NoneChoice() {
  MacroChoice none{};
  none.id = -1;
  none.location = kMacroNone;
  records::CopyText(none.name, LocationLabel(kMacroNone));
  return none;
}

}  // namespace

std::string MacroChoiceText(const MacroChoice& choice) {
  if (choice.location == kMacroNone) return LocationLabel(kMacroNone);
  std::string text(records::FieldText(choice.name));
  text += "   <";
  text += LocationLabel(choice.location);
  text += '>';
  text.append(kLabelBlanks, ' ');
  text += std::to_string(choice.id);
  return text;
}

MacroChoice CurrentMacroChoice(const XDEVMODE& devmode) {
  MacroChoice choice{};
  choice.id = static_cast<int32_t>(devmode.dmPrivate._lMacroId);
  choice.location = static_cast<int32_t>(devmode.dmPrivate._nMacroLocation);
  records::CopyText(choice.name, records::FieldText(devmode.dmPrivate._sMacroName));
  return choice;
}

std::vector<MacroChoice> ReadMacroChoices(HANDLE printer, const XDEVMODE& devmode) {
  std::vector<MacroChoice> choices;
  const XDEVMODE_PRIVATE& p = devmode.dmPrivate;
  const bool hostFilesUnreachable =
      (p._dwPrinterAttributes & PRINTER_ATTRIBUTE_LOCAL) == 0 && (p._dwAdvSettings & kAdvEmfSpooling) != 0;

  if (std::optional<std::string> model =
          records::ReadSettingText(printer, kStoreModelDescription, "General", "ModelName", 262)) {
    const std::string section = "HostInfo\\" + *model;
    if (std::optional<std::string> list =
            records::ReadSettingText(printer, kStoreUserMacros, section.c_str(), "Macro_List", kListBuffer)) {
      for (std::string_view idText : ListIds(*list)) {
        std::optional<int32_t> id = MacroId(idText);
        if (!id) continue;
        const std::string idKey(idText);
        const bool inMemory =
            records::SettingExists(printer, kStoreUserMacros, section.c_str(), ("MacroMem_" + idKey).c_str());
        if (!inMemory && hostFilesUnreachable) continue;
        std::optional<MacroChoice> choice = ReadChoice(printer, kStoreUserMacros, section, "Macro_" + idKey, *id,
                                                       inMemory ? kMacroPcDiskMemory : kMacroPcDisk);
        if (choice) choices.push_back(*choice);
      }
    }
  }

  if (std::optional<std::string> list =
          records::ReadSettingText(printer, kStorePrinterMacros, "MacroDisk", "List", kListBuffer)) {
    for (std::string_view idText : ListIds(*list)) {
      std::optional<int32_t> id = MacroId(idText);
      if (!id) continue;
      std::optional<MacroChoice> choice =
          ReadChoice(printer, kStorePrinterMacros, "MacroDisk", std::string(idText), *id, kMacroPrinterDisk);
      if (choice) choices.push_back(*choice);
    }
  }
  return choices;
}

int LoadMacroList(HANDLE printer, MacroListView& view, XDEVMODE* devmode) {
  if (!devmode) return 0;
  std::string current = MacroChoiceText(CurrentMacroChoice(*devmode));
  view.Clear();
  const std::vector<MacroChoice> choices = ReadMacroChoices(printer, *devmode);
  bool listed = false;
  for (const MacroChoice& choice : choices) {
    const std::string text = MacroChoiceText(choice);
    view.Add(text, choice);
    if (text == current) listed = true;
  }
  const MacroChoice none = NoneChoice();
  if (!listed && devmode->dmPrivate._nMacroLocation != kMacroNone) {
    // A macro that is gone cannot be printed with: the job gets none instead.
    devmode->dmPrivate._lMacroId = static_cast<DWORD>(none.id);
    devmode->dmPrivate._nMacroLocation = kMacroNone;
    records::CopyText(devmode->dmPrivate._sMacroName, records::FieldText(none.name));
  }
  view.Add(MacroChoiceText(none), none);
  view.Select(MacroChoiceText(CurrentMacroChoice(*devmode)));
  return static_cast<int>(choices.size());
}
