// Shared by the device-mode tests: a fresh machine with the library's state made
// as its start makes it (instance, bound settings, model-record cache), printers
// installed from the shipped model descriptions with the printer data that
// decides their model record, and device modes of the driver's layout built the
// way an application or another driver version would hand them in.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "interface/app/library_state.h"
#include "interface/devmode/default_devmode.h"
#include "model/model_cache.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"

namespace devmodetest {

inline constexpr char kColourModel[] = "nardo-c5545.ini";  // PostScript 3 and PCL, finisher, variant
inline constexpr char kMonoModel[] = "nardo-m3020.ini";    // PCL only, no variant

// The zeluid5.dll the spooler loads stays in the process (it holds a reference to
// itself) with its model-record cache, across the fresh machines of the tests: a
// printer name is never used twice.
inline std::string UniqueName(const std::string& base) {
  static std::atomic<int> counter{0};
  return base + " " + std::to_string(++counter);
}

// A device mode of the driver's layout, as this driver version would make it.
inline XDEVMODE DriverLayout(WORD pdl) {
  XDEVMODE dm{};
  dm.dmPublic.dmSpecVersion = kXDevModeSpecVersion;
  dm.dmPublic.dmSize = kXDevModePublicSize;
  dm.dmPublic.dmDriverExtra = kXDevModeDriverExtra;
  dm.dmPrivate.privateVersion = kXDevModePrivateVersion;
  dm.dmPrivate.revisionStamp = kXDevModeRevision;
  dm.dmPrivate._nPDL = pdl;
  return dm;
}

inline bool SameBytes(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

class DevmodeTest : public uitest::UiCoreTest {
 protected:
  void SetUp() override {
    UiCoreTest::SetUp();
    ModelCacheStart(&LibrarySettings());
  }

  void TearDown() override {
    for (HANDLE printer : printers_) ClosePrinter(printer);
    ModelCacheStop();
    UiCoreTest::TearDown();
  }

  // A shipped model whose printer data says its language, its variant and
  // whether status monitoring is on (what printer set-up and the set-up program
  // leave there).
  HANDLE Install(const std::string& model, const std::string& name, WORD pdl, DWORD variant, DWORD monitor = 0) {
    HANDLE printer = uitest::InstallPrinter(model, name);
    if (!printer) return 0;
    printers_.push_back(printer);
    SetPrinterDword(printer, "PDL", pdl);
    SetPrinterDword(printer, "TRQ50Compatible", variant);
    SetPrinterDword(printer, "Monitor", monitor);
    return printer;
  }

  // Every write of the printer's configuration moves its counter, so that cached
  // model records are reloaded.
  void SetPrinterDword(HANDLE printer, const char* key, DWORD value) {
    ASSERT_EQ(LibrarySettings().SetDword(printer, kStorePrinterData, "Printer", key, value), ERROR_SUCCESS);
    ASSERT_EQ(LibrarySettings().SetDword(printer, kStorePrinterData, "Printer", "Cfg", ++configCounter_),
              ERROR_SUCCESS);
  }

  // The printer's record as the cache hands it out, and a private copy of it.
  const ModelRecord* Record(HANDLE printer, const std::string& name) {
    return GetModelRecord(printer, name.c_str(), kModelReloadWhenChanged);
  }
  std::unique_ptr<ModelRecord> RecordCopy(HANDLE printer, const std::string& name) {
    const ModelRecord* record = Record(printer, name);
    if (!record) return nullptr;
    return std::make_unique<ModelRecord>(*record);
  }

  // The default device mode the library builds for the printer.
  XDEVMODE Default(HANDLE printer, const std::string& name, WORD pdl = kPdlOfModel) {
    XDEVMODE dm{};
    EXPECT_EQ(BuildDefaultDevmode(&dm, printer, Record(printer, name), name.c_str(), pdl), 1);
    return dm;
  }

 private:
  std::vector<HANDLE> printers_;
  DWORD configCounter_ = 100;
};

}  // namespace devmodetest
