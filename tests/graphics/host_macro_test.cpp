// The host macro file copied into the stream: found through the model name and
// the installed-macro record of the device mode's macro id; nothing when the
// record or file is missing; an empty file gives nothing; a file that shrinks
// during the copy ends the copy at its new end instead of waiting for bytes
// that never come.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/settings_store.h"
#include "graphics/stream/output.h"
#include "tests/graphics/stream_fixture.h"

namespace {

using namespace streamtest;

std::filesystem::path g_shrinkingFile;

void ShrinkAfterFirstPiece(const Bytes& received) {
  if (received.size() == 4096) std::filesystem::resize_file(g_shrinkingFile, 5000);
}

class HostMacroTest : public StreamTest {
 protected:
  void SetUp() override {
    StreamTest::SetUp();
    BindSettings();
    printer_ = InstallPrinterOnFile("Macro Printer", "macro.prn");
  }
  PDEV* MacroPdev(DWORD macroId) {
    PDEV* pdev = NewPdev(printer_);
    pdev->devmode.dmPrivate._lMacroId = macroId;
    return pdev;
  }
  void StoreRecord(DWORD id, const std::string& record) {
    ASSERT_EQ(db.SetString(0, kStoreUserMacros, "HostInfo\\Stream Model", ("Macro_" + std::to_string(id)).c_str(),
                           record.c_str()),
              0u);
  }
  HANDLE printer_ = 0;
};

TEST_F(HostMacroTest, MacroFileIsCopiedIntoTheCurrentChannel) {
  const Bytes macro = Payload(10000, 31);
  WriteWindowsFile("C:\\Macros\\form.mac", macro);
  WriteWindowsFile("C:\\Macros\\empty.mac", "");
  WriteWindowsFile("C:\\Macros\\with, comma.mac", "comma");
  StoreRecord(7, "7,Form,C:\\Macros\\form.mac;");
  StoreRecord(8, "8, Blank, C:\\Macros\\empty.mac;");
  StoreRecord(9, "9,Gone,C:\\Macros\\missing.mac;");
  StoreRecord(10, "10,No file;");
  StoreRecord(11, "11,Comma,C:\\Macros\\with, comma.mac;");

  struct Case {
    const char* what;
    DWORD id;
    int result;
    Bytes want;
  } cases[] = {
      {"present", 7, 1, macro},
      {"empty file", 8, 1, ""},
      {"file missing", 9, 0, ""},
      {"record without a file field", 10, 0, ""},
      {"no record for the id", 12, 0, ""},
      {"a path with a comma", 11, 1, "comma"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spooler() = SpoolerRecord{};
    PDEV* pdev = MacroPdev(c.id);
    WriteOut(pdev, kWriteText, 0, "ESC&f0X;");
    EXPECT_EQ(EmitHostMacro(pdev), c.result);
    WriteOut(pdev, kWriteText, 0, ";ESC&f1X");
    EXPECT_TRUE(Sent(pdev) == "ESC&f0X;" + c.want + ";ESC&f1X");
  }
  EXPECT_FALSE(WindowsFileExists("C:\\Macros\\missing.mac"));
}

TEST_F(HostMacroTest, FileThatShrinksDuringTheCopyEndsTheCopy) {
  const Bytes macro = Payload(10000, 32);
  WriteWindowsFile("C:\\Macros\\shrinks.mac", macro);
  g_shrinkingFile = Host("C:\\Macros\\shrinks.mac");
  StoreRecord(3, "3,Shrinks,C:\\Macros\\shrinks.mac;");
  PDEV* pdev = MacroPdev(3);
  Spooler().policy.afterWrite = ShrinkAfterFirstPiece;
  EXPECT_EQ(EmitHostMacro(pdev), 1);
  EXPECT_TRUE(Sent(pdev) == macro.substr(0, 5000));
}

TEST_F(HostMacroTest, FailedWriteEndsTheCopy) {
  WriteWindowsFile("C:\\Macros\\form.mac", Payload(20000, 33));
  StoreRecord(7, "7,Form,C:\\Macros\\form.mac;");
  PDEV* pdev = MacroPdev(7);
  Spooler().policy.failAfter = 6000;
  EXPECT_EQ(EmitHostMacro(pdev), 0);
  EXPECT_TRUE(OutputFailed(pdev));
  EXPECT_EQ(Spooler().calls.size(), 2u);
}

}  // namespace
