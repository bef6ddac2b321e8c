// The printer's device-font list: the model module's resident fonts, the soft
// fonts the fonts installer recorded on the host and on the printer's disk, the
// list cache shared by device contexts, and its refresh by escape 56.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/driver_escapes.h"
#include "common/installed_font_record.h"
#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/escapes/escapes.h"
#include "graphics/output/fonts/device_font_list_cache.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_font_names.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/graphics_text/text_fixture.h"

namespace graphicstest {
namespace {

constexpr char kSection[] = "HostInfo\\Font Model";

class InstalledFontsTest : public GraphicsPrinterTest {
 protected:
  void TearDown() override {
    FreeAllFontLists();
    GraphicsPrinterTest::TearDown();
  }

  HANDLE Printer(const std::string& name, WORD pdl, const std::string& module = "fonts_module.dll") {
    const std::string text = "[General]\nFormatVersion=2.0\nModelName=Font Model\nModelDLL=" + module +
                             "\n[PDL]\n1=PCL5E\n2=PS3\nDefault=1\n[Fonts]\n201=Univers,Univers,0,Univers,3\n"
                             "102=Helvetica,Helvetica,0,Helvetica,1\n";
    return InstallText(text, name, pdl, 0, TestModulePath("recording_driver.dll"));
  }

  static void Store(HANDLE printer, int32_t kind, const char* section, const std::string& key,
                    const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(
        GraphicsSettings().SetData(printer, kind, section, key.c_str(), bytes.data(), static_cast<DWORD>(bytes.size())),
        0u);
  }
  static void StoreText(HANDLE printer, int32_t kind, const char* section, const char* key, const char* text) {
    ASSERT_EQ(GraphicsSettings().SetString(printer, kind, section, key, text), 0u);
  }

  // Two memory fonts (7 marked as kept in printer memory, 8 not), one record
  // with a broken metrics block, and a font on the printer's disk, as the
  // installer writes them.
  void InstallSoftFonts(HANDLE printer) {
    StoreText(printer, kStoreUserFonts, kSection, "PCLFont_List", "7;8;9;");
    Store(printer, kStoreUserFonts, kSection, "PCLFont_7",
          fontrecord::WriteInstalledFontRecord(7, "garamond.pfm", "C:\\fonts\\garamond.sfp",
                                               PrinterFontRecord("Garamond Soft", "")));
    StoreText(printer, kStoreUserFonts, kSection, "PCLFontMem_7", "1");
    Store(printer, kStoreUserFonts, kSection, "PCLFont_8",
          fontrecord::WriteInstalledFontRecord(8, "script.pfm", "C:\\fonts\\script.sfp",
                                               PrinterFontRecord("Brush Soft", "")));
    fontrecord::MetricsBlock broken = PrinterFontRecord("Broken", "");
    broken.SetU16(fontrecord::offset::kVersion, 2);
    Store(printer, kStoreUserFonts, kSection, "PCLFont_9",
          fontrecord::WriteInstalledFontRecord(9, "broken.pfm", "C:\\fonts\\broken.sfp", broken));
    StoreText(printer, kStorePrinterFonts, "PCLFontDisk", "List", "3;");
    Store(printer, kStorePrinterFonts, "PCLFontDisk", "3",
          fontrecord::WriteInstalledFontRecord(3, "gothic.pfm", "DiskGothic", PrinterFontRecord("Disk Gothic", "")));
  }

  DeviceFontList* Load(PDEV* pdev, WORD pdl) {
    pdev->devmode.dmPrivate._nPDL = pdl;
    pdev->devmode.dmPublic.dmPrintQuality = 600;
    return LoadInstalledFonts(pdev->printer, pdev->carried.printerName, pdev->model, &pdev->devmode);
  }
};

std::string Face(const DeviceFontEntry& entry) {
  char face[33];
  return DeviceFontFaceName(entry.metrics, face);
}

TEST_F(InstalledFontsTest, PclPrinterOffersResidentInstalledAndDiskFonts) {
  HANDLE printer = Printer("Fonts PCL", kPdlPcl5e);
  InstallSoftFonts(printer);
  PdevPtr pdev = NewPdev(printer, "Fonts PCL");
  ASSERT_TRUE(pdev);
  DeviceFontList* list = Load(pdev.get(), kPdlPcl5e);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 4u);
  EXPECT_EQ(Face(list->entries[0]), "Univers");
  EXPECT_EQ(list->entries[0].kind, kDeviceFontResident);
  EXPECT_EQ(Face(list->entries[1]), "Garamond Soft");
  EXPECT_EQ(list->entries[1].kind, kDeviceFontHostSoft);
  EXPECT_EQ(list->entries[1].fontClass, 5);
  EXPECT_EQ(list->entries[1].fontId, 7);
  EXPECT_STREQ(list->entries[1].file, "C:\\fonts\\garamond.sfp");
  EXPECT_EQ(Face(list->entries[2]), "Brush Soft");
  EXPECT_EQ(list->entries[2].fontClass, 6);
  EXPECT_EQ(Face(list->entries[3]), "Disk Gothic");
  EXPECT_EQ(list->entries[3].kind, kDeviceFontPrinterDisk);
  EXPECT_EQ(list->entries[3].fontId, 3);
  EXPECT_EQ(FindDeviceFontByName("garamond soft", list), 1);
  EXPECT_EQ(FindDeviceFontByName("Broken", list), -1);
  // The next device context of the printer shares the list.
  PdevPtr second = NewPdev(printer, "Fonts PCL");
  EXPECT_EQ(Load(second.get(), kPdlPcl5e), list);
}

TEST_F(InstalledFontsTest, PostScriptPrinterOffersOnlyItsResidentFonts) {
  HANDLE printer = Printer("Fonts PS", kPdlPs3);
  InstallSoftFonts(printer);
  PdevPtr pdev = NewPdev(printer, "Fonts PS");
  const std::string firstRow = pdev->model->deviceFonts[0].faceName;
  const std::string secondRow = pdev->model->deviceFonts[1].faceName;
  DeviceFontList* list = Load(pdev.get(), kPdlPs3);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 1u);
  EXPECT_EQ(Face(list->entries[0]), "Helvetica");
  // The rows are ordered for the list, not in the record other threads read.
  EXPECT_EQ(pdev->model->deviceFonts[0].faceName, firstRow);
  EXPECT_EQ(pdev->model->deviceFonts[1].faceName, secondRow);
}

TEST_F(InstalledFontsTest, UnmarkedMemoryFontIsLeftOutOnlyForEmfSpoolingOnANonLocalPrinter) {
  struct Case {
    DWORD advanced;
    DWORD attributes;
    DWORD count;
  };
  const Case cases[] = {{0, 0, 4}, {kAdvEmfSpooling, 0, 3}, {kAdvEmfSpooling, 0x40, 4}, {0, 0x40, 4}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    const std::string name = "Fonts EMF " + std::to_string(n++);
    HANDLE printer = Printer(name, kPdlPcl5e);
    InstallSoftFonts(printer);
    PdevPtr pdev = NewPdev(printer, name);
    pdev->devmode.dmPrivate._dwAdvSettings = c.advanced;
    pdev->devmode.dmPrivate._dwPrinterAttributes = c.attributes;
    DeviceFontList* list = Load(pdev.get(), kPdlPcl5e);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count, c.count);
  }
}

TEST_F(InstalledFontsTest, AListThatCannotBeBuiltIsNotCachedSoTheNextTryBuildsIt) {
  HANDLE printer = Printer("Fonts No Module", kPdlPcl5e, "missing_module.dll");
  PdevPtr pdev = NewPdev(printer, "Fonts No Module");
  EXPECT_EQ(Load(pdev.get(), kPdlPcl5e), nullptr);
  EXPECT_EQ(FindCachedFontList("Fonts No Module", kPdlPcl5e), nullptr);
}

// A model with no resident fonts names no module; the fonts installed for it
// are offered all the same.
TEST_F(InstalledFontsTest, AModelWithoutResidentFontsOffersItsInstalledFonts) {
  const std::string text = "[General]\nFormatVersion=2.0\nModelName=Font Model\n[PDL]\n1=PCL5E\nDefault=1\n";
  HANDLE printer = InstallText(text, "Fonts Without Module", kPdlPcl5e, 0, TestModulePath("recording_driver.dll"));
  InstallSoftFonts(printer);
  PdevPtr pdev = NewPdev(printer, "Fonts Without Module");
  const DeviceFontList* list = Load(pdev.get(), kPdlPcl5e);
  ASSERT_NE(list, nullptr);
  std::vector<std::string> faces;
  for (DWORD i = 0; i < list->count; ++i) faces.push_back(Face(list->entries[i]));
  EXPECT_EQ(faces, (std::vector<std::string>{"Garamond Soft", "Brush Soft", "Disk Gothic"}));
}

TEST_F(InstalledFontsTest, ASavedSubstitutionTableReachesAnOpenDocument) {
  HANDLE printer = Printer("Fonts Table", kPdlPcl5e);
  PdevPtr pdev = NewPdev(printer, "Fonts Table");
  pdev->carried.deviceFonts = Load(pdev.get(), kPdlPcl5e);
  ASSERT_NE(pdev->carried.deviceFonts, nullptr);
  pdev->devmode.dmPrivate._nPDL = kPdlPcl5e;
  // A document is open with the table as it stood (no row for Arial).
  pdev->fontSubstitution = BuildFontSubstitutionTable(printer, "Fonts Table", kPdlPcl5e, pdev->carried.deviceFonts, 0);
  ASSERT_NE(pdev->fontSubstitution, nullptr);
  EXPECT_EQ(FindFontSubstitution("Arial", pdev->fontSubstitution), -1);

  StoreText(printer, kStorePrinterData, "FontSubstitutionPCL", "Accessed", "TRUE");
  StoreText(printer, kStorePrinterData, "FontSubstitutionPCL", "0", "Arial,Univers");
  FontListRefreshBlock block{};
  block.action = 2;  // the user saved the substitution table
  std::strcpy(block.printerName, "Fonts Table");
  block.pdl = kPdlPcl5e;
  EXPECT_EQ(ServeConfigEscape(pdev.get(), kEscFontListRefresh, sizeof block, &block), 0u);
  EXPECT_EQ(FindFontSubstitution("Arial", pdev->fontSubstitution), 0) << "Univers is the list's first font";
  FreeFontSubstitution(&pdev->fontSubstitution);
}

TEST_F(InstalledFontsTest, FontListRefreshReloadsTheListAndKeepsTheOldOneReadable) {
  HANDLE printer = Printer("Fonts Refresh", kPdlPcl5e);
  PdevPtr pdev = NewPdev(printer, "Fonts Refresh");
  PdevPtr other = NewPdev(printer, "Fonts Refresh");
  DeviceFontList* before = Load(pdev.get(), kPdlPcl5e);
  ASSERT_NE(before, nullptr);
  other->carried.deviceFonts = Load(other.get(), kPdlPcl5e);
  pdev->carried.deviceFonts = before;
  ASSERT_EQ(before->count, 1u);
  const IFIMETRICS* handedToGdi = before->entries[0].metrics;

  // The installer adds a font, then the pages send escape 56 with action 1.
  InstallSoftFonts(printer);
  std::vector<BYTE> block(kFontListRefreshBlockBytes, 0);
  const DWORD action = 1;
  const WORD pdl = kPdlPcl5e;
  std::memcpy(block.data(), &action, sizeof action);
  std::strcpy(reinterpret_cast<char*>(block.data() + 4), "Fonts Refresh");
  std::memcpy(block.data() + 264, &pdl, sizeof pdl);
  EXPECT_EQ(ServeConfigEscape(pdev.get(), kEscFontListRefresh, static_cast<ULONG>(block.size()), block.data()), 0u);

  ASSERT_NE(pdev->carried.deviceFonts, nullptr);
  EXPECT_NE(pdev->carried.deviceFonts, before);
  EXPECT_EQ(pdev->carried.deviceFonts->count, 4u);
  // The other device context and GDI still read the list they were given.
  EXPECT_EQ(other->carried.deviceFonts, before);
  EXPECT_EQ(before->count, 1u);
  EXPECT_EQ(Face(before->entries[0]), "Univers");
  EXPECT_EQ(handedToGdi->cjThis, before->entries[0].metrics->cjThis);
  // New device contexts get the new list.
  PdevPtr later = NewPdev(printer, "Fonts Refresh");
  EXPECT_EQ(Load(later.get(), kPdlPcl5e), pdev->carried.deviceFonts);
}

TEST_F(InstalledFontsTest, SavedSubstitutionRowsReplaceTheBuiltInOnesUnlessReset) {
  HANDLE printer = Printer("Fonts Table", kPdlPcl5e);
  InstallSoftFonts(printer);
  PdevPtr pdev = NewPdev(printer, "Fonts Table");
  DeviceFontList* list = Load(pdev.get(), kPdlPcl5e);
  ASSERT_NE(list, nullptr);
  StoreText(printer, kStorePrinterData, "FontSubstitutionPCL", "Accessed", "TRUE");
  StoreText(printer, kStorePrinterData, "FontSubstitutionPCL", "1", "Courier New,Nowhere");
  StoreText(printer, kStorePrinterData, "FontSubstitutionPCL", "0", "Times New Roman,Garamond Soft");

  FontSubstitutionTable* saved = BuildFontSubstitutionTable(printer, "Fonts Table", kPdlPcl5e, list, 0);
  ASSERT_NE(saved, nullptr);
  ASSERT_EQ(saved->rowCount, 2u);
  EXPECT_STREQ(saved->rows[0].trueTypeFace, "Times New Roman");
  EXPECT_EQ(FindFontSubstitution("Times New Roman", saved), 1);
  EXPECT_EQ(FindFontSubstitution("Courier New", saved), -1) << "its printer face is not on the printer";
  FreeFontSubstitution(&saved);
  EXPECT_EQ(saved, nullptr);

  // Reset: the built-in rows, of which this printer has no face.
  FontSubstitutionTable* builtIn = BuildFontSubstitutionTable(printer, "Fonts Table", kPdlPcl5e, list, 1);
  ASSERT_NE(builtIn, nullptr);
  EXPECT_EQ(builtIn->rowCount, 0u);
  FreeFontSubstitution(&builtIn);
}

DeviceFontList* NewList(const char* name, WORD pdl, DWORD count) {
  auto* list = static_cast<DeviceFontList*>(std::calloc(1, sizeof(DeviceFontList)));
  std::strcpy(list->printerName, name);
  list->pdlKind = pdl;
  list->count = count;
  return list;
}

TEST(FontListCacheTest, TheFirstCompleteListOfAKeyWinsAndDroppedListsStayReadable) {
  DeviceFontList* first = CacheFontList(NewList("Cache A", kPdlPcl5e, 1));
  EXPECT_EQ(CacheFontList(NewList("cache a", kPdlPcl5e, 2)), first) << "the name matches without regard to case";
  EXPECT_EQ(FindCachedFontList("CACHE A", kPdlPcl5e), first);
  EXPECT_EQ(FindCachedFontList("Cache A", kPdlPs3), nullptr) << "another language is another list";

  // Device contexts keep reading lists while another one drops and rebuilds.
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      if (DeviceFontList* list = FindCachedFontList("Cache A", kPdlPcl5e)) {
        EXPECT_GE(list->count, 1u);
        EXPECT_EQ(list->pdlKind, kPdlPcl5e);
      }
    }
  });
  std::vector<DeviceFontList*> seen{first};
  for (int i = 0; i < 200; ++i) {
    DropCachedFontLists("Cache A", kPdlPcl5e);
    seen.push_back(CacheFontList(NewList("Cache A", kPdlPcl5e, static_cast<DWORD>(i + 3))));
  }
  stop = true;
  reader.join();
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_STREQ(seen[i]->printerName, "Cache A");
  EXPECT_EQ(first->count, 1u);
  FreeAllFontLists();
  EXPECT_EQ(FindCachedFontList("Cache A", kPdlPcl5e), nullptr);
}

}  // namespace
}  // namespace graphicstest
