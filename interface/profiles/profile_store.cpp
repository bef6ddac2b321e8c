#include "interface/profiles/profile_store.h"

#include <cstring>
#include <memory>
#include <optional>
#include <set>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/profiles/profile_keys.h"
#include "interface/records/hex_names.h"
#include "interface/records/printer_info.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"
#include "model/model_cache.h"
#include "platform/base/errors.h"

namespace {

constexpr DWORD kRegistrationBuffer = 256;

bool ValidName(const char* name) {
  if (!name) return false;
  const size_t length = std::strlen(name);
  return length >= 1 && length <= kProfileNameMax;
}

std::string ProfileSectionOf(const std::string& listSection, const char* name) {
  return listSection + "\\" + records::HexName(name);
}

const ModelRecord* PrinterModel(HANDLE printer, const char* printerName) {
  if (printerName && *printerName) return GetModelRecord(printer, printerName, kModelReloadWhenMissing);
  char name[260];
  GetPrinterNameCopy(printer, name, sizeof name);
  if (!name[0]) return nullptr;
  return GetModelRecord(printer, name, kModelReloadWhenMissing);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

std::string ProfileListSection(const XDEVMODE& settings, const ModelRecord* model) {
  std::string section = (settings.dmPrivate._nPDL & kPdlPcl5Mask) ? "Profiles\\PCL" : "Profiles\\PS";
  if (model) section += model->variant != 0 ? "\\0" : "\\1";
  return section;
}

bool ProfileSection(HANDLE printer, const XDEVMODE* settings, char* out, size_t size) {
  if (!settings || !out || size == 0) return false;
  out[0] = '\0';
  const std::string section = ProfileListSection(*settings, PrinterModel(printer, nullptr));
  if (section.size() >= size) return false;
  std::memcpy(out, section.c_str(), section.size() + 1);
  return true;
}

bool IsProfileRegistered(HANDLE printer, const ModelRecord* model, const char* name, const XDEVMODE& settings) {
  if (!ValidName(name)) return false;
  const std::string list = ProfileListSection(settings, model);
  const std::string key = records::HexName(name);
  return records::ReadSettingText(printer, kStoreUser, list.c_str(), key.c_str(), kRegistrationBuffer).has_value();
}

int SaveProfileForModel(HANDLE printer, const ModelRecord* model, const char* name, const XDEVMODE* settings,
                        int mode) {
  if (!model || !settings || !ValidName(name)) return 0;
  if (mode != kProfileCreateIfAbsent && mode != kProfileAdd && mode != kProfileOverwrite) return 0;
  if (mode == kProfileCreateIfAbsent && IsProfileRegistered(printer, model, name, *settings)) return 0;

  const SettingsFunctions& store = LibrarySettings();
  const std::string list = ProfileListSection(*settings, model);
  const std::string section = ProfileSectionOf(list, name);
  // The keys first and the name last: a listed profile always has its settings,
  // and a profile being overwritten keeps every key until its new value is there.
  std::set<std::string> written;
  if (!profiles::WriteProfileKeys(printer, section, *settings, *model, written)) return 0;
  if (mode == kProfileOverwrite) {
    std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStoreUser, section.c_str());
    if (!keys) return 0;
    for (const std::string& key : *keys) {
      if (written.count(Upper(key))) continue;
      const DWORD rc = store.DeleteData(printer, kStoreUser, section.c_str(), key.c_str());
      if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return 0;
    }
  }
  const std::string hex = records::HexName(name);
  if (store.SetString(printer, kStoreUser, list.c_str(), hex.c_str(), hex.c_str()) != ERROR_SUCCESS) return 0;
  return 1;
}

int SaveProfile(HANDLE printer, const char* name, const XDEVMODE* settings, int mode) {
  if (!settings || !ValidName(name)) return 0;
  return SaveProfileForModel(printer, PrinterModel(printer, nullptr), name, settings, mode);
}

int LoadProfileForModel(HANDLE printer, const ModelRecord* model, const char* name, XDEVMODE* settings) {
  if (!model || !settings || !ValidName(name)) return 0;
  if (!IsProfileRegistered(printer, model, name, *settings)) return 0;
  const std::string section = ProfileSectionOf(ProfileListSection(*settings, model), name);
  // Read into a copy: the settings change once, whole.
  auto work = std::make_unique<XDEVMODE>(*settings);
  profiles::ReadProfileKeys(printer, section, *work, *model);
  *settings = *work;
  return 1;
}

int LoadProfile(HANDLE printer, const char* printerName, const char* name, XDEVMODE* settings) {
  if (!settings || !ValidName(name)) return 0;
  return LoadProfileForModel(printer, PrinterModel(printer, printerName), name, settings);
}

int LoadProfileNames(HANDLE printer, const char* printerName, const XDEVMODE* settings,
                     std::vector<ProfileName>& names) {
  names.clear();
  if (!settings) return 0;
  const std::string list = ProfileListSection(*settings, PrinterModel(printer, printerName));
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStoreUser, list.c_str());
  if (!keys) return 0;
  for (const std::string& key : *keys) {
    std::optional<std::string> text = records::TextOfHexName(key, kProfileNameMax);
    if (!text) continue;
    if (!records::ReadSettingText(printer, kStoreUser, list.c_str(), key.c_str(), kRegistrationBuffer)) continue;
    ProfileName entry{};
    records::CopyText(entry.text, *text);
    names.push_back(entry);
  }
  return static_cast<int>(names.size());
}
