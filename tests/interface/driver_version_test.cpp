// The driver's version texts from the library's own version block, and the
// device mode's version word made from them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "interface/app/library_state.h"
#include "interface/util/driver_version.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

class DriverVersionTest : public UiCoreTest {};

std::string VersionString(HANDLE printer, WORD size, int kind, int* answer = nullptr) {
  char buffer[64];
  std::memset(buffer, 0, sizeof buffer);
  std::strcpy(buffer, "unchanged");
  int result = GetDriverVersionString(printer, buffer, size, kind);
  if (answer) *answer = result;
  return U(buffer);
}

TEST_F(DriverVersionTest, TextsComeFromTheProductVersionAndTheModelDescription) {
  HANDLE printer = InstallPrinter("nardo-m3020.ini", "Mono Printer");
  ASSERT_NE(printer, 0u);
  struct Case {
    HANDLE printer;
    WORD size;
    int kind;
    const char* expected;
  } cases[] = {
      {0, 64, kDriverVersionText, "6.310.23.0"},
      {0, 11, kDriverVersionText, "6.310.23.0"},
      {0, 5, kDriverVersionText, "6.31"},
      {0, 1, kDriverVersionText, ""},
      {0, 64, kDriverVersionDigits, "6310230"},
      {0, 4, kDriverVersionDigits, "631"},
      {printer, 64, kDriverVersionCopyright, "Copyright (C) Nardo Systems"},
      // Without a printer the description cannot be read: no leftovers in the buffer.
      {0, 64, kDriverVersionCopyright, ""},
      {0, 64, 7, "unchanged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " size " + std::to_string(c.size));
    int answer = 0;
    EXPECT_EQ(VersionString(c.printer, c.size, c.kind, &answer), c.expected);
    EXPECT_EQ(answer, 1);
  }
  char buffer[8];
  EXPECT_EQ(GetDriverVersionString(0, nullptr, 8, kDriverVersionText), 0);
  EXPECT_EQ(GetDriverVersionString(0, buffer, 0, kDriverVersionText), 0);
  ClosePrinter(printer);
}

TEST_F(DriverVersionTest, ALibraryFileWithoutVersionBlockLeavesTheBufferAlone) {
  HMODULE bare =
      LoadLibraryExA(AnsiWindowsPath(std::filesystem::path(ZEL_TEST_MODULE_DIR) / "failing_module.dll").c_str(), 0,
                     LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(bare, 0u) << GetLastError();
  SetLibraryInstance(bare);
  for (int kind : {kDriverVersionText, kDriverVersionCopyright, kDriverVersionDigits}) {
    int answer = 0;
    EXPECT_EQ(VersionString(0, 64, kind, &answer), "unchanged") << kind;
    EXPECT_EQ(answer, 1);
  }
  EXPECT_EQ(GetDriverVersionWord(), 0);
  SetLibraryInstance(library_);
  FreeLibrary(bare);
}

TEST_F(DriverVersionTest, VersionWordTakesMajorAndMinorFromTheSecondField) {
  struct Case {
    const char* text;
    WORD word;
  } cases[] = {
      {"6.310.23.0", 0x030A},                          // 3 * 256 + 10: the first field is not used
      {"1.310", 0x030A},      {"3.10.0.0", 0x030A},    // a short second field: first * 256 + second
      {"2.5.1.0", 0x0205},    {"6.1234.0.0", 0x0C22},  // 12 * 256 + 34
      {"4.300", 0x0300},      {"6.256", 0x0238},      {"7", 0x0700}, {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DriverVersionFromText(c.text), c.word) << c.text;
  EXPECT_EQ(DriverVersionFromText(nullptr), 0);
  // This library's own word.
  EXPECT_EQ(GetDriverVersionWord(), 0x030A);
}

}  // namespace
}  // namespace uitest
