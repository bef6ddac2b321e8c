#include "settingsdb/address.h"

#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/registry/registry.h"

namespace settingsdb {
namespace {
constexpr size_t kMaxValueNameBytes = 207;  // the name buffer of the data calls holds 208 bytes
constexpr size_t kMaxValueNameChars = 199;  // the wide name buffer of the string calls holds 200
constexpr size_t kMaxRegistryPath = 259;
}  // namespace

Store StoreOf(int32_t kind) {
  switch (kind) {
    case kStorePrinterData:
    case kStorePrinterFonts:
    case kStorePrinterMacros: return Store::PrinterData;
    case kStoreUser:
    case kStoreUserFonts:
    case kStoreUserMacros: return Store::UserRegistry;
    case kStoreMachine: return Store::MachineRegistry;
    case kStoreModelDescription: return Store::DataFile;
    default: return kind < 0 ? Store::Invalid : Store::None;
  }
}

bool PrinterValueName(const char* section, const char* key, std::string& name) {
  name.assign(section);
  name += '_';
  name += key;
  return name.size() <= kMaxValueNameBytes && platform::ToUtf16(name).size() <= kMaxValueNameChars;
}

std::string RegistryBasePath() {
  std::string base = SETTINGS_REGISTRY_BASE;
  base.pop_back();
  return base;
}

std::string RegistryKeyPath(const char* section) {
  std::string path = SETTINGS_REGISTRY_BASE;
  path += section;
  if (*section == 0) path.pop_back();                       // the base key itself
  path.resize(platform::CutPoint(path, kMaxRegistryPath));  // never half a double-byte character
  return path;
}

HKEY RegistryHive(Store store) { return store == Store::MachineRegistry ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::string PrinterSectionPrefix(const char* section) { return std::string(section) + "_"; }

bool InPrinterSection(const std::string& valueName, const std::string& prefix) {
  if (valueName.size() <= prefix.size()) return false;
  // The prefix must end on a character boundary of the name, or a double-byte
  // character would be compared by halves.
  size_t i = 0;
  while (i < prefix.size()) i += platform::CharLengthAnsi(valueName, i);
  if (i != prefix.size()) return false;
  return platform::EqualsNoCaseAnsi(std::string_view(valueName).substr(0, prefix.size()), prefix);
}

}  // namespace settingsdb
