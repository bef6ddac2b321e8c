// The user's country chooses the paper defaults and is recorded for the printer.
#include <gtest/gtest.h>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/util/country_code.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

class CountryCodeTest : public UiCoreTest {};

TEST_F(CountryCodeTest, LetterJapaneseOrMetricAndTheCountryIsStored) {
  HANDLE printer = InstallPrinter("nardo-m3020.ini", "Mono Printer");
  ASSERT_NE(printer, 0u);
  struct Case {
    const char* icountry;  // null: no entry
    int answer;
    DWORD stored;
  } cases[] = {{nullptr, 0, 0}, {"1", 1, 1}, {"2", 1, 2}, {"81", 81, 81}, {"44", 0, 44}, {"49", 0, 49}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icountry ? c.icountry : "(none)");
    ASSERT_TRUE(WriteProfileStringA("intl", "iCountry", c.icountry));
    EXPECT_EQ(GetCountryCode(printer), c.answer);
    DWORD stored = 0xFFFF;
    ASSERT_EQ(LibrarySettings().GetDword(printer, kStorePrinterData, "INTL", "iCountry", &stored), 0u);
    EXPECT_EQ(stored, c.stored);
  }
  ClosePrinter(printer);
}

}  // namespace
}  // namespace uitest
