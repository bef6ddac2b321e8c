// Download and delete jobs, byte for byte as the printer receives them through a
// file port and a loopback TCP port, and what a failing job leaves behind.
#include <gtest/gtest.h>

#include <cstring>

#include "fontinstaller/download.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "tests/fontinstaller/installer_test_support.h"
#include "tests/support/loopback_listener.h"

namespace installertest {
namespace {

using fontinstaller::InstalledFontEntry;
using fontinstaller::InstalledMacroEntry;
constexpr char kPrinter[] = "Nardo C";
constexpr char kPort[] = "C:\\Ports\\out.prn";
const Bytes kUel = Text("\x1B%-12345X");
const Bytes kEnterPcl = Text("@PJL ENTER LANGUAGE = PCL\n");

Bytes Payload(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + 3) & 0xFF);
  return bytes;
}

class DownloadTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InstallPrinter(kPrinter, kPort);
  }
  InstalledFontEntry Font(int32_t id, int32_t location, const std::string& path) {
    InstalledFontEntry entry{};
    entry.id = id;
    entry.location = location;
    std::strcpy(entry.fontFilePath, path.c_str());
    return entry;
  }
  Bytes Delivered() {
    Bytes bytes = ReadFile(kPort);
    std::filesystem::remove(Host(kPort));
    return bytes;
  }
};

TEST_F(DownloadTest, FontToThePrintersDiskIsAStoreFileCommandAndTheBytes) {
  const Bytes font = Payload(3000);
  WriteFile("C:\\Work\\temp", font);
  const InstalledFontEntry entry = Font(12, fontinstaller::kLocationPrinterDisk, "C:\\Fonts\\f12.sfp");
  ASSERT_EQ(fontinstaller::DownloadFont(0, kPrinter, entry, "C:\\Work\\temp", fontinstaller::kDownloadToDisk), 1);
  EXPECT_EQ(Delivered(), Concat({kUel, Text("@PJL FSMKDIR NAME =\"0:/fonts\"\n"),
                                 Text("@PJL FSDOWNLOAD FORMAT:BINARY NAME =\"0:/fonts/12\" SIZE=3000\n"), font, kUel}));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(DownloadTest, FontsToMemoryAreSelectedLoadedAndMadePermanent) {
  const struct {
    const char* what;
    size_t size;
    int32_t location;
    DWORD flags;
  } cases[] = {{"PC-disk font, permanent", 2500, 1, fontinstaller::kDownloadToMemory},
               {"exactly two pieces", 2048, 1, 0},
               {"printer-disk font", 100, 2, fontinstaller::kDownloadToMemory}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes font = Payload(c.size);
    WriteFile("C:\\Fonts\\f7.sfp", font);
    const InstalledFontEntry entry = Font(7, c.location, "C:\\Fonts\\f7.sfp");
    ASSERT_EQ(fontinstaller::DownloadFont(0, kPrinter, entry, nullptr, c.flags), 1);
    // clang-format off
    Bytes expected = Concat({kUel, kEnterPcl, Text("\x1B" "E"), Text("\x1B*c7D")});
    // clang-format on
    if (c.location == 2) expected = Concat({expected, Text("\x1B|f15DC:\\Fonts\\f7.sfp")});
    expected = Concat({expected, font});
    if (c.flags & fontinstaller::kDownloadToMemory) expected = Concat({expected, Text("\x1B*c5F")});
    EXPECT_EQ(Delivered(), Concat({expected, kUel}));
  }
}

TEST_F(DownloadTest, MacrosToMemoryAndToThePrintersDisk) {
  const Bytes macro = Payload(500);
  WriteFile("C:\\Macros\\logo.mac", macro);
  InstalledMacroEntry pc{3, 0, 1, "LOGO", "C:\\Macros\\logo.mac"};
  ASSERT_EQ(fontinstaller::DownloadMacro(0, kPrinter, pc, fontinstaller::kDownloadToMemory), 1);
  // clang-format off
  EXPECT_EQ(Delivered(), Concat({kUel, kEnterPcl, Text("\x1B" "E"), Text("\x1B&f3Y"), Text("\x1B&f0X"), macro,
                                 Text("\x1B&f1X"), Text("\x1B&f10X"), kUel}));
  // clang-format on

  // Stored on the disk: the chosen file goes with it, whatever the entry's location.
  InstalledMacroEntry disk{3001, 0, 2, "LOGO", "C:\\Macros\\logo.mac"};
  ASSERT_EQ(fontinstaller::DownloadMacro(0, kPrinter, disk, fontinstaller::kDownloadToDisk), 1);
  EXPECT_EQ(Delivered(),
            Concat({kUel, Text("@PJL FSMKDIR NAME =\"0:/pcl\"\n"), Text("@PJL FSMKDIR NAME =\"0:/pcl/macros\"\n"),
                    Text("@PJL FSDOWNLOAD FORMAT:BINARY NAME =\"0:/pcl/macros/LOGO\" SIZE=500\n"), macro, kUel}));

  // A macro already on the printer is only selected and made permanent.
  ASSERT_EQ(fontinstaller::DownloadMacro(0, kPrinter, disk, fontinstaller::kDownloadToMemory), 1);
  // clang-format off
  EXPECT_EQ(Delivered(), Concat({kUel, kEnterPcl, Text("\x1B" "E"), Text("\x1B&f3001Y"), Text("\x1B&f10X"), kUel}));
  // clang-format on
}

TEST_F(DownloadTest, DeleteJobsNameTheFileOrDeleteAll) {
  int fontId = 12;
  InstalledMacroEntry macro{3, 0, 2, "LOGO", ""};
  std::string name = kPrinter;
  ASSERT_EQ(deletePCLFile(0, "f12.sfp", fontinstaller::kKindFonts, name.data(), &fontId, nullptr), 1);
  EXPECT_EQ(Delivered(), Concat({kUel, Text("@PJL FSDELETE NAME =\"0:/fonts/12\"\n"), kUel}));
  ASSERT_EQ(deletePCLFile(0, "logo.mac", fontinstaller::kKindMacros, name.data(), nullptr, &macro), 1);
  EXPECT_EQ(Delivered(), Concat({kUel, Text("@PJL FSDELETE NAME =\"0:/pcl/macros/LOGO\"\n"), kUel}));
  ASSERT_EQ(deletePCLFile(0, nullptr, fontinstaller::kKindAll, name.data(), nullptr, nullptr), 1);
  EXPECT_EQ(Delivered(), Concat({kUel, Text("\x1B|s2X"), kUel}));
  ASSERT_EQ(deletePCLFile(0, "x", 8, name.data(), nullptr, nullptr), 1);
  EXPECT_EQ(Delivered(), Concat({kUel, kUel}));
}

TEST_F(DownloadTest, RequestsThatCannotBeSentStartNoJob) {
  std::string name = kPrinter;
  int fontId = 12;
  int negative = -1;
  InstalledMacroEntry quoted{3, 0, 2, "A\"\nB", "C:\\Macros\\logo.mac"};
  InstalledMacroEntry doubleByte{3, 0, 2, "\x83\x41", "C:\\Macros\\logo.mac"};
  WriteFile("C:\\Macros\\logo.mac", Payload(10));
  WriteFile("C:\\Fonts\\empty.sfp", {});
  EXPECT_EQ(deletePCLFile(0, "", fontinstaller::kKindFonts, name.data(), &fontId, nullptr), 0);
  EXPECT_EQ(deletePCLFile(0, "f", fontinstaller::kKindFonts, name.data(), &negative, nullptr), 0);
  EXPECT_EQ(deletePCLFile(0, "m", fontinstaller::kKindMacros, name.data(), nullptr, &quoted), 0);
  EXPECT_EQ(fontinstaller::DownloadMacro(0, kPrinter, quoted, fontinstaller::kDownloadToDisk), 0);
  EXPECT_EQ(fontinstaller::DownloadMacro(0, kPrinter, doubleByte, fontinstaller::kDownloadToDisk), 0);
  EXPECT_EQ(fontinstaller::DownloadFont(0, kPrinter, Font(5, 1, "C:\\Fonts\\empty.sfp"), nullptr, 4), 0);
  EXPECT_EQ(fontinstaller::DownloadFont(0, kPrinter, Font(5, 1, "C:\\Fonts\\none.sfp"), nullptr, 4), 0);
  EXPECT_EQ(fontinstaller::DownloadFont(0, kPrinter, Font(-1, 1, "C:\\Macros\\logo.mac"), nullptr, 4), 0);
  EXPECT_FALSE(FileExists(kPort));
  EXPECT_TRUE(boxes.empty());

  const struct {
    std::string name;
    bool valid;
  } names[] = {{"LOGO", true},     {"A-1_b.mac", true}, {std::string(16, 'x'), true},
               {"\xB1\xB2", true}, {"", false},         {std::string(17, 'x'), false},
               {"A B", false},     {"a/b", false},      {"a\x7F", false},
               {"a|b", false},     {"a*", false}};
  for (const auto& c : names) EXPECT_EQ(fontinstaller::IsValidMacroName(c.name), c.valid) << c.name;
}

TEST_F(DownloadTest, PrinterThatCannotStartAJobShowsTheSystemsText) {
  WriteFile("C:\\Fonts\\f.sfp", Payload(10));
  EXPECT_EQ(fontinstaller::DownloadFont(0, "No Such Printer", Font(5, 1, "C:\\Fonts\\f.sfp"), nullptr, 4), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "GetLastError");
  EXPECT_EQ(boxes[0].text, "The printer name is invalid.\r\n");

  InstallPrinter("Parallel", "LPT1:");
  boxes.clear();
  std::string name = "Parallel";
  EXPECT_EQ(deletePCLFile(0, nullptr, fontinstaller::kKindAll, name.data(), nullptr, nullptr), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "GetLastError");
}

TEST_F(DownloadTest, PrintJobExportsFrameAJobAndNeverDeleteTheQueue) {
  WriteFile("C:\\Fonts\\f.sfp", Payload(3000));
  HANDLE printer = StartPrintJob(kPrinter, 0, 0);
  ASSERT_NE(printer, 0u);
  EXPECT_EQ(fontinstaller::SendFile(printer, "C:\\Fonts\\f.sfp"), 3000);
  EXPECT_EQ(fontinstaller::SendFile(printer, "C:\\Fonts\\none.sfp"), -1);
  EXPECT_EQ(SendString(printer, "end", 3), 3);
  EXPECT_EQ(SendString(0, "x", 1), -1);
  EXPECT_TRUE(EndPrintJob(printer, 1));
  EXPECT_EQ(Delivered(), Concat({Payload(3000), Text("end")}));

  // A handle the caller keeps stays usable, and the queue stays.
  printer = StartPrintJob(kPrinter, 0, 0);
  ASSERT_NE(printer, 0u);
  EXPECT_TRUE(EndPrintJob(printer, 0));
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_NE(OpenPrinterForTest(kPrinter), 0u);
  EXPECT_EQ(StartPrintJob("No Such Printer", 0, 0), 0u);
}

TEST_F(DownloadTest, FontReachesAPrinterOnARawTcpPort) {
  testsupport::LoopbackListener listener;
  listener.Receive();
  InstallPrinter("Network", "127.0.0.1:" + std::to_string(listener.port()));
  const Bytes font = Payload(5000);
  WriteFile("C:\\Fonts\\net.sfp", font);
  ASSERT_EQ(fontinstaller::DownloadFont(0, "Network", Font(21, 1, "C:\\Fonts\\net.sfp"), nullptr,
                                        fontinstaller::kDownloadToMemory),
            1);
  EXPECT_EQ(listener.Received(), Concat({kUel, kEnterPcl,
                                         Text("\x1B"
                                              "E"),
                                         Text("\x1B*c21D"), font, Text("\x1B*c5F"), kUel}));
}

TEST_F(DownloadTest, AJobThePrinterRefusesIsNoSuccess) {
  // Bound but not listening: connections to the port are refused, and no one else takes it.
  testsupport::LoopbackListener refusing(false);
  InstallPrinter("Refusing", "127.0.0.1:" + std::to_string(refusing.port()));
  WriteFile("C:\\Fonts\\f.sfp", Payload(100));
  EXPECT_EQ(fontinstaller::DownloadFont(0, "Refusing", Font(5, 1, "C:\\Fonts\\f.sfp"), nullptr, 4), 0);
  std::string name = "Refusing";
  int id = 5;
  EXPECT_EQ(deletePCLFile(0, "f", fontinstaller::kKindFonts, name.data(), &id, nullptr), 0);
}

}  // namespace
}  // namespace installertest
