// Writing the installed options and memory back to the printer's data, and the
// configuration counter that tells every cached record to reload.
#include <gtest/gtest.h>

#include "common/settings_store.h"
#include "model/config_counter.h"
#include "model/installed_options.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

class SaveOptions : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    printer = InstallShipped("nardo-c5545.ini", "Colour Printer");
    ASSERT_NE(printer, 0u);
    DeletePrinterValue(printer, "Printer", "Cfg");
  }
  DWORD Counter() {
    DWORD value = 0;
    EXPECT_TRUE(PrinterDword(printer, "Printer", "Cfg", value));
    return value;
  }
  HANDLE printer = 0;
};

TEST_F(SaveOptions, WrittenValuesComeBackOnTheNextLoad) {
  auto record = Load(printer);
  record->options[4].value = 1;  // the large-capacity tray is fitted
  record->installedMemory = 1024LL * 1048576;
  ASSERT_EQ(SaveInstalledOptions(settings, printer, record.get()), 1);

  EXPECT_EQ(PrinterString(printer, "InstallableOptions", "1"), "1,フィニッシャー,1,0;");
  EXPECT_EQ(PrinterString(printer, "InstallableOptions", "5"), "1,大容量給紙トレイ,1,0;");
  EXPECT_EQ(PrinterString(printer, "InstallableOptions", "6"), "2,パンチユニット,2,0;");
  EXPECT_EQ(PrinterString(printer, "Memory", "Installed"), "1024");
  EXPECT_EQ(Counter(), 6u);  // a missing counter counts as 5

  auto reloaded = Load(printer);
  EXPECT_EQ(reloaded->options[4].value, 1);
  EXPECT_EQ(reloaded->installedMemory, 1024LL * 1048576);
  EXPECT_EQ(reloaded->memorySizeA, 16777216);
  EXPECT_EQ(reloaded->configStamp, 6u);
}

TEST_F(SaveOptions, MemoryBeyondThirtyTwoBitsIsWrittenWhole) {
  auto record = Load(printer);
  record->installedMemory = 4096LL * 1048576;
  ASSERT_EQ(SaveInstalledOptions(settings, printer, record.get()), 1);
  EXPECT_EQ(PrinterString(printer, "Memory", "Installed"), "4096");
}

TEST_F(SaveOptions, ValuesOfOptionsTheRecordNoLongerHasAreRemoved) {
  SetPrinterString(printer, "InstallableOptions", "8", "1,Old,1,0;");
  SetPrinterString(printer, "InstallableOptions", "12", "1,Older,1,0;");
  auto record = Load(printer);
  ASSERT_EQ(SaveInstalledOptions(settings, printer, record.get()), 1);
  DWORD rc = 0;
  PrinterString(printer, "InstallableOptions", "8", &rc);
  EXPECT_NE(rc, 0u);
  PrinterString(printer, "InstallableOptions", "12", &rc);
  EXPECT_NE(rc, 0u);
  EXPECT_EQ(PrinterString(printer, "InstallableOptions", "7"), "1,中綴じユニット,1,0;");
}

TEST_F(SaveOptions, PartsTheRecordDoesNotHoldAreNotWritten) {
  // The printer's set-up copied the model's installed memory; a record without
  // that part must not write it again.
  DeletePrinterValue(printer, "Memory", "Installed");
  SetPrinterString(printer, "InstallableOptions", "1", "1,Kept,0,0;");
  SetPrinterDword(printer, "Printer", "Cfg", 41);
  ModelRecord record{};
  ASSERT_EQ(SaveInstalledOptions(settings, printer, &record), 1);
  EXPECT_EQ(PrinterString(printer, "InstallableOptions", "1"), "1,Kept,0,0;");
  DWORD rc = 0;
  PrinterString(printer, "Memory", "Installed", &rc);
  EXPECT_NE(rc, 0u);
  EXPECT_EQ(Counter(), 42u);
}

TEST_F(SaveOptions, FailuresAreReported) {
  auto record = Load(printer);
  EXPECT_EQ(SaveInstalledOptions(settings, 0, record.get()), 0);
  EXPECT_EQ(SaveInstalledOptions(settings, printer, nullptr), 0);
  SettingsFunctions readOnly = settings;
  readOnly.setString = nullptr;
  readOnly.loadError = ERROR_PROC_NOT_FOUND;
  EXPECT_EQ(SaveInstalledOptions(readOnly, printer, record.get()), 0);
}

TEST_F(SaveOptions, CounterCountsFromFiveAndNeverWrapsToZero) {
  struct Case {
    bool present;
    DWORD before;
    DWORD after;
  } cases[] = {{false, 0, 6}, {true, 0, 6}, {true, 5, 6}, {true, 41, 42}, {true, 0xFFFFFFFF, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    if (c.present) {
      SetPrinterDword(printer, "Printer", "Cfg", c.before);
    } else {
      DeletePrinterValue(printer, "Printer", "Cfg");
    }
    DWORD stored = 0;
    ASSERT_EQ(IncrementConfigCounter(settings, printer, &stored), 0u);
    EXPECT_EQ(stored, c.after);
    EXPECT_EQ(Counter(), c.after);
  }
}

}  // namespace
}  // namespace modeltest
