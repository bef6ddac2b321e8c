// A whole model description as the driver libraries read it: every part and
// feature loaded from the text, the defaults for what it lacks, and a default
// device mode built from the record and made safe as any device mode is. The
// settings store answers from the input in memory as the settings library
// answers from the data file (a key read whole and cut to the caller's buffer,
// numbers as the profile functions read them), so a run takes no disk or
// database; sections named "Printer:<section>" play the printer's own data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "model/constraints.h"
#include "model/devmode_defaults.h"
#include "model/foreign_devmode.h"
#include "model/model_loader.h"
#include "model/paper_defaults.h"
#include "platform/base/ini_document.h"
#include "platform/base/text_cut.h"

namespace {

const platform::IniDocument* current = nullptr;

std::string SectionOf(int32_t kind, const char* section) {
  return kind == kStorePrinterData ? std::string("Printer:") + section : std::string(section);
}

std::optional<std::string> Read(int32_t kind, const char* section, const char* key) {
  if (!current || !section || !key) return std::nullopt;
  if (kind != kStoreModelDescription && kind != kStorePrinterData) return std::nullopt;
  return current->Value(SectionOf(kind, section), key);
}

DWORD GetString(HANDLE, int32_t kind, const char* section, const char* key, char* buffer, DWORD* size) {
  std::optional<std::string> value = Read(kind, section, key);
  if (!value) {
    if (*size > 0) buffer[0] = 0;
    return kind == kStoreModelDescription ? ERROR_NO_DATA : ERROR_FILE_NOT_FOUND;
  }
  value->resize(platform::CutPoint(*value, *size ? *size - 1 : 0));
  if (*size > 0) std::memcpy(buffer, value->c_str(), value->size() + 1);
  *size = static_cast<DWORD>(value->size());
  return ERROR_SUCCESS;
}

DWORD GetData(HANDLE printer, int32_t kind, const char* section, const char* key, BYTE* buffer, DWORD* size) {
  return GetString(printer, kind, section, key, reinterpret_cast<char*>(buffer), size);
}

DWORD GetNumber(int32_t kind, const char* section, const char* key, DWORD* value) {
  std::optional<std::string> text = Read(kind, section, key);
  if (!text || text->empty()) {
    *value = static_cast<DWORD>(-1);
    return kind == kStoreModelDescription ? ERROR_NO_DATA : ERROR_FILE_NOT_FOUND;
  }
  // The profile functions' reading: blanks, a sign, digits wrapping past 32 bits.
  size_t i = 0;
  while (i < text->size() && ((*text)[i] == ' ' || (*text)[i] == '\t')) ++i;
  bool negative = false;
  if (i < text->size() && ((*text)[i] == '-' || (*text)[i] == '+')) negative = (*text)[i++] == '-';
  DWORD number = 0;
  for (; i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9'; ++i) {
    number = number * 10u + DWORD((*text)[i] - '0');
  }
  *value = negative ? 0u - number : number;
  return *value == static_cast<DWORD>(-1) && kind == kStoreModelDescription ? ERROR_NO_DATA : ERROR_SUCCESS;
}

DWORD GetDword(HANDLE, int32_t kind, const char* section, const char* key, DWORD* value) {
  return GetNumber(kind, section, key, value);
}

DWORD GetInt(HANDLE, int32_t kind, const char* section, const char* key, int32_t* value) {
  DWORD number = 0;
  DWORD rc = GetNumber(kind, section, key, &number);
  *value = static_cast<int32_t>(number);
  return rc;
}

DWORD GetShort(HANDLE, int32_t kind, const char* section, const char* key, int16_t* value) {
  DWORD number = 0;
  DWORD rc = GetNumber(kind, section, key, &number);
  if (rc == ERROR_SUCCESS || kind == kStoreModelDescription) *value = static_cast<int16_t>(number & 0xFFFF);
  return rc;
}

DWORD EnumOpen(HANDLE, int32_t kind, const char* section, DBENUM** out) {
  *out = nullptr;
  if (!current || !section || (kind != kStoreModelDescription && kind != kStorePrinterData)) {
    return ERROR_NO_MORE_ITEMS;
  }
  std::optional<std::vector<std::string>> keys = current->KeyNames(SectionOf(kind, section));
  if (!keys) return ERROR_NO_MORE_ITEMS;
  std::string names;
  for (const std::string& key : *keys) {
    if (!key.empty()) names.append(key).push_back('\0');
  }
  auto* enumeration = new DBENUM{0, static_cast<DWORD>(names.size()), new char[names.size() + 1]};
  std::memcpy(enumeration->names, names.data(), names.size());
  *out = enumeration;
  return ERROR_SUCCESS;
}

DWORD EnumNext(DBENUM* enumeration, char* buffer, DWORD* size) {
  if (enumeration->pos >= enumeration->size) return ERROR_NO_MORE_ITEMS;
  const char* name = enumeration->names + enumeration->pos;
  const DWORD length = static_cast<DWORD>(std::strlen(name));
  if (length + 1 > *size) {
    *size = length + 1;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, name, length + 1);
  *size = length;
  enumeration->pos += length + 1;
  return ERROR_SUCCESS;
}

DWORD EnumReset(DBENUM* enumeration) {
  enumeration->pos = 0;
  return ERROR_SUCCESS;
}

DWORD EnumClose(DBENUM* enumeration) {
  delete[] enumeration->names;
  delete enumeration;
  return ERROR_SUCCESS;
}

SettingsFunctions Store() {
  SettingsFunctions settings;
  settings.getData = GetData;
  settings.getString = GetString;
  settings.getDword = GetDword;
  settings.getInt = GetInt;
  settings.getShort = GetShort;
  settings.enumOpen = EnumOpen;
  settings.enumNext = EnumNext;
  settings.enumReset = EnumReset;
  settings.enumClose = EnumClose;
  // Writes are refused: loading a record never writes.
  settings.loadError = ERROR_ACCESS_DENIED;
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const SettingsFunctions settings = Store();
  const platform::IniDocument document(std::string(reinterpret_cast<const char*>(data), size), 932);
  current = &document;
  auto record = std::make_unique<ModelRecord>();
  const HANDLE printer = 1;
  static const ModelLoaderVariant variant = [] {
    ModelLoaderVariant quiet = DefaultModelLoaderVariant();
    quiet.formatWarning = [](int, int, int) {};
    return quiet;
  }();
  LoadModelConfig(settings, printer, record.get(), kAllModelParts, kAllModelFeatures, 1, variant);
  SetModelRecordDefaults(record.get(), ~record->partsLoaded);
  current = nullptr;

  auto devmode = std::make_unique<XDEVMODE>();
  FillDefaultDevmode(devmode.get(), record.get(), "Fuzz", kPdlOfModel, 0x030A);
  AcceptForeignDevmode(devmode.get(), record.get());
  // The constraint rows the description gave, against the device mode's choices.
  for (int feature : {1, 2, 4, 16, 32, 512, 2048}) {
    int value = 0;
    if (!GetSettingValue(record.get(), devmode.get(), feature, &value)) continue;
    IsChoiceConstrained(record.get(), devmode.get(), feature, value);
    CheckOptionConstraints(record.get(), devmode.get(), feature, value, 0, 0);
  }
  return 0;
}
