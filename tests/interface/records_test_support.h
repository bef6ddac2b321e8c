// Shared by the tests of the settings records and profiles: the library's state as
// its start leaves it (the real zeldb5.dll bound into the library's settings
// table, its strings, the model-record cache), printers installed from the shipped
// model descriptions or from text, and direct access to the store to plant and
// inspect what the routines read and write.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"
#include "tools/machinesetup/printer_install.h"

namespace recordstest {

using uitest::A;
using uitest::U;

class RecordsTest : public uitest::UiCoreTest {
 protected:
  void SetUp() override {
    UiCoreTest::SetUp();
    ModelCacheStart(&LibrarySettings());
  }
  void TearDown() override {
    for (HANDLE printer : opened_) ClosePrinter(printer);
    opened_.clear();
    ModelCacheStop();
    UiCoreTest::TearDown();
  }

  // A printer of a shipped model description (data/models/<file>), open with all access.
  HANDLE Install(const std::string& file, const std::string& printerName) {
    return InstallPath(std::filesystem::path(ZEL_SOURCE_DIR) / "data/models" / file, printerName);
  }
  // A printer of a model description given as UTF-8 text (written in the ANSI code
  // page); its [General] ModelName must be its own.
  HANDLE InstallText(const std::string& utf8Text, const std::string& printerName) {
    const std::filesystem::path path = root() / ("records-model-" + std::to_string(++models_) + ".ini");
    std::ofstream(path, std::ios::binary) << platform::AnsiFromUtf8(utf8Text);
    return InstallPath(path, printerName);
  }

  static const SettingsFunctions& Store() { return LibrarySettings(); }

  static void SetString(HANDLE printer, int kind, const std::string& section, const std::string& key,
                        const std::string& ansi) {
    ASSERT_EQ(Store().SetString(printer, kind, section.c_str(), key.c_str(), ansi.c_str()), ERROR_SUCCESS)
        << section << "/" << key;
  }
  static void SetDword(HANDLE printer, int kind, const std::string& section, const std::string& key, DWORD value) {
    ASSERT_EQ(Store().SetDword(printer, kind, section.c_str(), key.c_str(), value), ERROR_SUCCESS)
        << section << "/" << key;
  }
  // The library itself binds no DBSetData (the installer writes the binary
  // records): the tests bind it from the same module.
  void SetData(HANDLE printer, int kind, const std::string& section, const std::string& key,
               const std::vector<uint8_t>& data) {
    auto setData = reinterpret_cast<PFN_DBSetData>(GetProcAddress(settingsModule_, "DBSetData"));
    ASSERT_NE(setData, nullptr);
    ASSERT_EQ(setData(printer, kind, section.c_str(), key.c_str(), data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS)
        << section << "/" << key;
  }
  static std::optional<std::string> GetString(HANDLE printer, int kind, const std::string& section,
                                              const std::string& key) {
    std::vector<char> buffer(4096, 0);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (Store().GetString(printer, kind, section.c_str(), key.c_str(), buffer.data(), &size) != ERROR_SUCCESS)
      return std::nullopt;
    return std::string(buffer.data());
  }
  static std::optional<DWORD> GetDword(HANDLE printer, int kind, const std::string& section, const std::string& key) {
    DWORD value = 0;
    if (Store().GetDword(printer, kind, section.c_str(), key.c_str(), &value) != ERROR_SUCCESS) return std::nullopt;
    return value;
  }
  // The key names of a section, in the store's order (empty when it has none).
  static std::vector<std::string> Keys(HANDLE printer, int kind, const std::string& section) {
    std::vector<std::string> keys;
    DBENUM* enumeration = nullptr;
    if (Store().EnumOpen(printer, kind, section.c_str(), &enumeration) != ERROR_SUCCESS) return keys;
    char name[512];
    for (;;) {
      DWORD size = sizeof name;
      if (Store().EnumNext(enumeration, name, &size) != ERROR_SUCCESS) break;
      keys.emplace_back(name);
    }
    Store().EnumClose(enumeration);
    return keys;
  }

 private:
  HANDLE InstallPath(const std::filesystem::path& model, const std::string& printerName) {
    machinesetup::PrinterSpec spec;
    spec.printerName = printerName;
    spec.modelDescription = model;
    spec.driverFolder = machinesetup::BuiltDriverFolder();
    std::string error;
    EXPECT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
    HANDLE printer = 0;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::string name = printerName;
    EXPECT_TRUE(OpenPrinterA(name.data(), &printer, &defaults)) << "cannot open " << printerName;
    if (printer) opened_.push_back(printer);
    return printer;
  }

  std::vector<HANDLE> opened_;
  int models_ = 0;
};

// Replaces one function of the library's settings table for the life of the
// object: a store that fails where a real one can (a full disk, a lost database).
template <class Function>
class BrokenSetting {
 public:
  BrokenSetting(Function SettingsFunctions::*member, Function replacement)
      : member_(member), saved_(LibrarySettings().*member) {
    LibrarySettings().*member_ = replacement;
  }
  ~BrokenSetting() { LibrarySettings().*member_ = saved_; }
  BrokenSetting(const BrokenSetting&) = delete;
  BrokenSetting& operator=(const BrokenSetting&) = delete;

 private:
  Function SettingsFunctions::*member_;
  Function saved_;
};

}  // namespace recordstest
