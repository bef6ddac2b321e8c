// A device context reset during a job (DrvResetPDEV): the running state goes on
// in the new record, the blocks the job owns move (the old record can be freed
// without touching them), and what belongs to the new device mode stays the new
// record's. And freeing a record: everything it still owns is released, whatever
// state the job was left in.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"
#include "platform/gdi/eng_services.h"
#include "tests/graphics/fake_device_fonts.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {
namespace {

// Fills every field that a reset copies, moves or leaves with values derived
// from seed, so that the two records of a reset differ in each of them.
void FillRunningState(PDEV& pdev, DWORD seed) {
  pdev.carried.bandState = seed + 1;
  pdev.carried.acrobatVersion = static_cast<WORD>(seed + 3);
  pdev.carried.pageMakerVersion = static_cast<WORD>(seed + 4);
  pdev.carried.softFontCounter = static_cast<WORD>(seed + 35);
  pdev.carried.savedTextStates[1][9] = seed + 36;
  pdev.carried.vmEstimate = seed + 37;
  pdev.carried.pclModeWords[3] = static_cast<WORD>(seed + 38);
  pdev.carried.spoolerJobId = seed + 40;
  pdev.carried.addressValue = seed + 41;
  pdev.carried.jobSettings[13] = seed + 42;
  pdev.carried.settingsWord = static_cast<WORD>(seed + 43);
  std::snprintf(pdev.carried.documentName, sizeof pdev.carried.documentName, "document %u", seed);
  pdev.carried.watermarkCapture = static_cast<BYTE>(seed + 46);
  pdev.carried.watermarkTextFlag = seed + 47;
  pdev.carried.captureFlags = seed + 48;
  std::snprintf(pdev.carried.printerName, sizeof pdev.carried.printerName, "printer %u", seed);
  pdev.encoder.carry[3] = static_cast<BYTE>(seed + 55);
  pdev.encoder.buffer[2047] = static_cast<BYTE>(seed + 56);
  pdev.encoder.carryCount = seed + 57;
  pdev.encoder.word = static_cast<WORD>(seed + 58);
  pdev.carried.deviceFonts = FakeFontList(static_cast<int>(seed));

  // What belongs to each record's own device mode.
  pdev.devmode.dmPublic.dmCopies = static_cast<SHORT>(seed + 60);
  pdev.paperWidth = static_cast<int32_t>(seed + 61);
  pdev.printableHeight = static_cast<int32_t>(seed + 62);
  pdev.rotation = static_cast<WORD>(seed + 63);
  pdev.outputPaper = static_cast<WORD>(seed + 64);
  pdev.currentFont = static_cast<WORD>(seed + 65);
  pdev.resolution = static_cast<WORD>(seed + 66);
  pdev.module = seed + 68;
  pdev.printer = seed + 69;
  pdev.engineDevice = seed + 70;
  pdev.surface = seed + 71;
  pdev.surfaceWidth = static_cast<LONG>(seed + 72);
  pdev.bannerResult = seed + 73;
}

class JobStateTest : public GraphicsPrinterTest {};

TEST_F(JobStateTest, ResetCopiesTheRunningStateAndKeepsTheNewDeviceMode) {
  PdevPtr old(AllocPdev()), fresh(AllocPdev());
  ASSERT_TRUE(old && fresh);
  FillRunningState(*old, 1000);
  FillRunningState(*fresh, 5000);
  fresh->signature = kPdevSignature;
  fresh->palette = 77;
  old->carried.documentFlags = kDocPostScriptTrailerDue | kDocStarted;
  ModelRecord* freshModel = fresh->model = static_cast<ModelRecord*>(GraphicsHeapAlloc(sizeof(ModelRecord)));

  ASSERT_EQ(CopyJobState(fresh.get(), old.get()), 1);
  PDEV& n = *fresh;

  // Copied.
  EXPECT_EQ(n.carried.bandState, 1001u);
  // A page begun in the old record (0x10) is also one whose state was sent (0x08).
  EXPECT_EQ(n.carried.documentFlags, kDocPostScriptTrailerDue | kDocStarted | kDocStartedBeforeReset);
  EXPECT_EQ(n.carried.acrobatVersion, 1003);
  EXPECT_EQ(n.carried.pageMakerVersion, 1004);
  EXPECT_EQ(n.carried.softFontCounter, 1035);
  EXPECT_EQ(n.carried.savedTextStates[1][9], 1036u);
  EXPECT_EQ(n.carried.vmEstimate, 1037u);
  EXPECT_EQ(n.carried.pclModeWords[3], 1038);
  EXPECT_EQ(n.carried.spoolerJobId, 1040u);
  EXPECT_EQ(n.carried.addressValue, 1041u);
  EXPECT_EQ(n.carried.jobSettings[13], 1042u);
  EXPECT_EQ(n.carried.settingsWord, 1043);
  EXPECT_STREQ(n.carried.documentName, "document 1000");
  EXPECT_EQ(n.carried.watermarkCapture, static_cast<BYTE>(1046));
  EXPECT_EQ(n.carried.watermarkTextFlag, 1047u);
  EXPECT_EQ(n.carried.captureFlags, 1048u);
  EXPECT_STREQ(n.carried.printerName, "printer 1000");
  EXPECT_EQ(n.encoder.carry[3], static_cast<BYTE>(1055));
  EXPECT_EQ(n.encoder.buffer[2047], static_cast<BYTE>(1056));
  EXPECT_EQ(n.encoder.carryCount, 1057u);
  EXPECT_EQ(n.encoder.word, 1058);
  // The printer's font list is shared, so both records may point to it.
  EXPECT_EQ(n.carried.deviceFonts, FakeFontList(1000));
  EXPECT_EQ(old->carried.deviceFonts, FakeFontList(1000));

  // The new record's own.
  EXPECT_EQ(n.devmode.dmPublic.dmCopies, 5060);
  EXPECT_EQ(n.paperWidth, 5061);
  EXPECT_EQ(n.printableHeight, 5062);
  EXPECT_EQ(n.rotation, 5063);
  EXPECT_EQ(n.outputPaper, 5064);
  EXPECT_EQ(n.currentFont, 5065);
  EXPECT_EQ(n.resolution, 5066);
  EXPECT_EQ(n.module, 5068u);
  EXPECT_EQ(n.printer, 5069u);
  EXPECT_EQ(n.engineDevice, 5070u);
  EXPECT_EQ(n.surface, 5071u);
  EXPECT_EQ(n.surfaceWidth, 5072);
  EXPECT_EQ(n.bannerResult, 5073u);
  EXPECT_EQ(n.palette, 77u);
  EXPECT_EQ(n.signature, kPdevSignature);
  EXPECT_EQ(n.model, freshModel);

  fresh->palette = 0;  // not a real palette
  EXPECT_EQ(CopyJobState(nullptr, old.get()), 0);
  EXPECT_EQ(CopyJobState(fresh.get(), nullptr), 0);
}

// The blocks of the job move: the old record is freed (as GDI disables it after
// the reset) without releasing them, and the new one releases them at its end.
TEST_F(JobStateTest, ResetMovesTheJobsBlocksAndFreeingTheOldOneLeavesThem) {
  PdevPtr old(AllocPdev()), fresh(AllocPdev());
  ASSERT_TRUE(old && fresh);
  ASSERT_EQ(CreateInjectData(old.get()), 1);
  old->injectionMode = 2;
  ASSERT_EQ(AppendInjectionData(old.get(), 1, "%%Title: kept\n", 14), 1);
  old->fontSubstitution = FakeSubstitutionTable(1);
  old->downloadedFonts[0] = FakeDownloadList(1);
  old->downloadedFonts[1] = FakeDownloadList(2);
  std::strcpy(old->pageTickets.name, "tickets");
  old->pageTickets.rowCount = 3;
  old->pageTickets.rows = static_cast<PageTicketRow*>(GraphicsHeapAlloc(3 * 56));
  old->slipSheetBlock = static_cast<BYTE*>(GraphicsHeapAlloc(kSlipSheetBlockBytes));
  old->slipSheetBlock[0] = 0x5A;
  CInjectData* store = old->injection;
  PageTicketRow* rows = old->pageTickets.rows;

  ASSERT_EQ(CopyJobState(fresh.get(), old.get()), 1);
  EXPECT_EQ(fresh->injection, store);
  EXPECT_EQ(fresh->injectionMode, 2);
  EXPECT_EQ(fresh->fontSubstitution, FakeSubstitutionTable(1));
  EXPECT_EQ(fresh->downloadedFonts[0], FakeDownloadList(1));
  EXPECT_EQ(fresh->downloadedFonts[1], FakeDownloadList(2));
  EXPECT_STREQ(fresh->pageTickets.name, "tickets");
  EXPECT_EQ(fresh->pageTickets.rowCount, 3u);
  EXPECT_EQ(fresh->pageTickets.rows, rows);
  ASSERT_NE(fresh->slipSheetBlock, nullptr);
  EXPECT_EQ(fresh->slipSheetBlock[0], 0x5A);

  // Nothing of it is left in the old record, not even the store's mode word.
  EXPECT_EQ(old->injection, nullptr);
  EXPECT_EQ(old->injectionMode, 0);
  EXPECT_EQ(old->fontSubstitution, nullptr);
  EXPECT_EQ(old->downloadedFonts[0], nullptr);
  EXPECT_EQ(old->downloadedFonts[1], nullptr);
  EXPECT_EQ(old->pageTickets.name[0], '\0');
  EXPECT_EQ(old->pageTickets.rowCount, 0u);
  EXPECT_EQ(old->pageTickets.rows, nullptr);
  EXPECT_EQ(old->slipSheetBlock, nullptr);

  old.reset();
  EXPECT_TRUE(Fonts().substitutionsFreed.empty());
  EXPECT_TRUE(Fonts().downloadListsReleased.empty());
  EXPECT_EQ(GetInjectionData(fresh.get(), 1, nullptr), 14);

  fresh.reset();
  EXPECT_EQ(Fonts().substitutionsFreed, std::vector<FontSubstitutionTable*>{FakeSubstitutionTable(1)});
  EXPECT_EQ(Fonts().downloadListsReleased,
            (std::vector<DownloadedFontList*>{FakeDownloadList(1), FakeDownloadList(2)}));
}

// The temporary files of the job stay open in the new record: the pages stored
// before the reset and after it end up in the same file, and only the new
// record's end removes it.
TEST_F(JobStateTest, ResetContinuesTheSameChannelFiles) {
  PdevPtr old(AllocPdev()), fresh(AllocPdev());
  ASSERT_TRUE(old && fresh);
  ASSERT_EQ(AllocOutputBuffer(old.get()), 1);
  ASSERT_EQ(AllocOutputBuffer(fresh.get()), 1);
  ASSERT_TRUE(InitChannelFiles(old.get()));
  ASSERT_EQ(SelectOutputChannel(old.get(), kChannelPages), 1);
  ASSERT_GT(WriteOut(old.get(), kWriteText, 0, "page one\n"), 0);
  ASSERT_EQ(FlushOutputBuffer(old.get()), 1);
  const std::string path = old->output.channels[kChannelPages - 1].path;
  ASSERT_FALSE(path.empty());
  const std::filesystem::path host = Host(path);
  ASSERT_TRUE(std::filesystem::exists(host));

  ASSERT_EQ(CopyJobState(fresh.get(), old.get()), 1);
  EXPECT_EQ(fresh->output.currentChannel, kChannelPages);
  old.reset();
  EXPECT_TRUE(std::filesystem::exists(host));

  ASSERT_GT(WriteOut(fresh.get(), kWriteText, 0, "page two\n"), 0);
  ASSERT_EQ(FlushOutputBuffer(fresh.get()), 1);
  EXPECT_EQ(std::filesystem::file_size(host), 18u);

  // A job that never reached its end still takes its files with it.
  fresh.reset();
  EXPECT_FALSE(std::filesystem::exists(host));
}

TEST_F(JobStateTest, FreeReleasesWhatTheRecordStillOwns) {
  PdevPtr pdev(AllocPdev());
  ASSERT_NE(pdev, nullptr);
  // A store left with mode 1 (identified, then withdrawn) is freed all the same.
  ASSERT_EQ(CreateInjectData(pdev.get()), 1);
  pdev->injectionMode = 1;
  pdev->fontSubstitution = FakeSubstitutionTable(4);
  pdev->downloadedFonts[1] = FakeDownloadList(5);
  pdev->pageTickets.rows = static_cast<PageTicketRow*>(GraphicsHeapAlloc(56));
  pdev->slipSheetBlock = static_cast<BYTE*>(GraphicsHeapAlloc(kSlipSheetBlockBytes));
  pdev->fontDownloadArea = GraphicsHeapAlloc(64);
  pdev->fillPatterns = GraphicsHeapAlloc(64);
  pdev->model = static_cast<ModelRecord*>(GraphicsHeapAlloc(sizeof(ModelRecord)));
  ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
  const HPALETTE palette = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  ASSERT_NE(palette, 0u);
  pdev->palette = palette;

  pdev.reset();
  // The heap blocks and the store are checked by the leak checker of the
  // sanitizer build; the palette and the font tables here.
  EXPECT_FALSE(EngDeletePalette(palette));
  EXPECT_EQ(Fonts().substitutionsFreed, std::vector<FontSubstitutionTable*>{FakeSubstitutionTable(4)});
  EXPECT_EQ(Fonts().downloadListsReleased, std::vector<DownloadedFontList*>{FakeDownloadList(5)});

  FreePdev(nullptr);
}

}  // namespace
}  // namespace graphicstest
