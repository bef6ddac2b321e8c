// The printer's font list as the pages see it (resident fonts, installed soft
// fonts, fonts installed while the library runs), the fonts page's choices and
// the font substitution table dialog: defaults, pairs saved, exact partners.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/installed_font_record.h"
#include "common/pdl_kind.h"
#include "interface/pages/font_substitution_table.h"
#include "interface/pages/pcl_font_list.h"
#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/sheet_page_driver.h"

namespace pagetest {
namespace {

using recordstest::A;

constexpr UINT kFontsPage = 126;
constexpr const char* kPs = "nardo-c5545.ini";
constexpr const char* kPcl = "nardo-m3020.ini";
constexpr WORD kPcl5 = 0x8;

std::vector<std::string> Faces(const PclFontList* list) {
  std::vector<std::string> faces;
  for (DWORD i = 0; list && i < list->count; ++i) faces.push_back(PclFontFace(list->entries[i]));
  return faces;
}

// An installer record: its text part and a metrics block of that face.
std::vector<uint8_t> FontRecord(const std::string& face, size_t blockSize = fontrecord::kMetricsBlockSize) {
  fontrecord::MetricsBlock block = fontrecord::MetricsBlock::Blank();
  block.SetFaceName(face);
  block.SetU8(fontrecord::offset::kFlags, fontrecord::kFlagScalable);
  block.SetU16(fontrecord::offset::kWeight, 400);
  const std::string text = "0,soft.pfm,C:\\fonts\\soft.sft;";
  std::vector<uint8_t> record(text.begin(), text.end());
  record.insert(record.end(), block.data(), block.data() + std::min(blockSize, block.size()));
  return record;
}

class FontsPageTest : public SheetPageTest {
 protected:
  std::string HostSection(HANDLE printer) {
    char model[260] = {};
    DWORD size = sizeof model;
    Store().GetString(printer, kStoreModelDescription, "General", "ModelName", model, &size);
    return std::string("HostInfo\\") + model;
  }
  // Records a soft font on this PC the way the installer does.
  void InstallSoftFont(HANDLE printer, const std::string& id, const std::string& face, size_t blockSize = 689) {
    const std::string section = HostSection(printer);
    SetData(printer, kStoreUserFonts, section, "PCLFont_" + id, FontRecord(face, blockSize));
    const std::string list = GetString(printer, kStoreUserFonts, section, "PCLFont_List").value_or("");
    SetString(printer, kStoreUserFonts, section, "PCLFont_List", list + id + ";");
  }
  void InstallDiskFont(HANDLE printer, const std::string& id, const std::string& face) {
    SetData(printer, kStorePrinterFonts, "PCLFontDisk", id, FontRecord(face));
    const std::string list = GetString(printer, kStorePrinterFonts, "PCLFontDisk", "List").value_or("");
    SetString(printer, kStorePrinterFonts, "PCLFontDisk", "List", list + id + ";");
  }
};

TEST_F(FontsPageTest, TheListHoldsResidentAndInstalledFontsAndFollowsTheInstaller) {
  HANDLE printer = InstallModel(kPcl, "Fonts PCL");
  XDEVMODE settings = Default(printer, "Fonts PCL", kPcl5);
  const ModelRecord* model = GetModelRecord(printer, "Fonts PCL", kModelReloadWhenMissing);
  PclFontList* first = GetPclFontList(printer, "Fonts PCL", model, &settings);
  ASSERT_NE(first, nullptr);
  const std::vector<std::string> resident = Faces(first);
  ASSERT_FALSE(resident.empty());
  EXPECT_EQ(GetPclFontList(printer, "FONTS pcl", model, &settings), first) << "unchanged sources: the cached list";

  // Installed while the library runs: the next request sees it. The counter
  // says one font, the list names three; a short record is left out.
  InstallSoftFont(printer, "21", "Soft Serif");
  InstallSoftFont(printer, "22", "Short Record", 100);
  InstallSoftFont(printer, "23", "Soft Sans");
  SetDword(printer, kStoreUserFonts, HostSection(printer), "PCLFont_Number", 1);
  InstallDiskFont(printer, "31", "Disk Face");
  PclFontList* second = GetPclFontList(printer, "Fonts PCL", model, &settings);
  ASSERT_NE(second, nullptr);
  std::vector<std::string> expected = resident;
  for (const char* face : {"Soft Serif", "Soft Sans", "Disk Face"}) expected.push_back(face);
  EXPECT_EQ(Faces(second), expected);
  EXPECT_EQ(second->entries[resident.size()].source, kPclFontMemory);
  EXPECT_EQ(second->entries[resident.size() + 2].source, kPclFontDisk);
  EXPECT_EQ(second->entries[resident.size()].fontId, 21u);

  // A PostScript job of the same printer lists only resident fonts of its language.
  XDEVMODE ps = settings;
  ps.dmPrivate._nPDL = kPdlPs3;
  PclFontList* psList = GetPclFontList(printer, "Fonts PCL", model, &ps);
  ASSERT_NE(psList, nullptr);
  for (const std::string& face : Faces(psList)) EXPECT_NE(face.rfind("Soft", 0), 0u) << face;
}

TEST_F(FontsPageTest, AListThatCannotBeBuiltIsNotCached) {
  HANDLE printer = InstallText(
      "[General]\nModelName=No Module\nModelDLL=missing.dll\n[PDL]\n1=PCL5E\nDefault=1\n"
      "[Fonts]\n201=Univers,Univers,0,Univers,3\n",
      "No Module");
  XDEVMODE settings = Default(printer, "No Module", kPdlPcl5e);
  const ModelRecord* model = GetModelRecord(printer, "No Module", kModelReloadWhenMissing);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(GetPclFontList(printer, "No Module", model, &settings), nullptr);
  EXPECT_EQ(LookupPclFontList("No Module", settings.dmPrivate._nPDL), nullptr) << "the next request tries again";
  EXPECT_TRUE(boxes_.empty()) << "a missing module is no lack of memory";
}

TEST_F(FontsPageTest, EnumerationReportsFacesOnceAndStopsWhenAsked) {
  const struct {
    BYTE symbolSetClass;
    BYTE charset;
  } classes[] = {{2, 2}, {3, 0}, {4, 0}, {5, 128}, {6, 128}, {7, 128}, {8, 134}, {9, 0}};
  for (const auto& c : classes) EXPECT_EQ(CharSetOfSymbolSetClass(c.symbolSetClass), c.charset);

  HANDLE printer = InstallModel(kPcl, "Fonts PCL");
  XDEVMODE settings = Default(printer, "Fonts PCL", kPcl5);
  const ModelRecord* model = GetModelRecord(printer, "Fonts PCL", kModelReloadWhenMissing);
  InstallDiskFont(printer, "41", "Twice");
  InstallDiskFont(printer, "42", "Twice");
  PclFontList* list = GetPclFontList(printer, "Fonts PCL", model, &settings);
  struct Seen {
    std::vector<std::string> faces;
    int stopAfter = 1000;
  } seen;
  auto collect = [](const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM data) -> int {
    auto* s = reinterpret_cast<Seen*>(data);
    if (type & DEVICE_FONTTYPE) s->faces.push_back(font->lfFaceName);
    return --s->stopAfter > 0;
  };
  EnumPrinterFonts(list, 600, nullptr, kEnumScalablePclFonts, collect, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(std::count(seen.faces.begin(), seen.faces.end(), "Twice"), 1);
  seen = Seen{};
  EnumPrinterFonts(list, 600, "Twice", 0, collect, reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(std::count(seen.faces.begin(), seen.faces.end(), "Twice"), 2) << "a face given: all its entries";
  seen = Seen{};
  seen.stopAfter = 1;
  EXPECT_EQ(EnumPrinterFonts(list, 600, nullptr, kEnumScalablePclFonts, collect, reinterpret_cast<LPARAM>(&seen)), 0);
  EXPECT_EQ(seen.faces.size(), 1u);
}

TEST_F(FontsPageTest, ThePageOffersWhatThePrinterAndLanguageAllow) {
  struct Case {
    const char* model;
    WORD pdl;
    DWORD attributes;
    size_t modes;
    size_t formats;
    bool table;
  };
  const Case cases[] = {
      {kPs, kPdlPs3, 0x40, 3, 2, true}, {kPs, kPdlPs3, 0, 2, 2, false}, {kPcl, kPcl5, 0x40, 3, 1, true}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    const std::string name = "Fonts " + std::to_string(++n);
    HANDLE printer = InstallModel(c.model, name.c_str());
    XDEVMODE settings = Default(printer, name.c_str(), c.pdl);
    settings.dmPrivate._dwPrinterAttributes = c.attributes;
    RunPage(printer, &settings, kFontsPage, [&](HWND page, OrbaMainDlg*) {
      EXPECT_EQ(Entries(page, 1149, true).size(), c.modes);
      EXPECT_EQ(Entries(page, 1154, true).size(), c.formats);
      EXPECT_EQ(Enabled(page, 1152), c.table);
      EXPECT_FALSE(Visible(page, 1156));
      ASSERT_TRUE(Pick(page, 1149, A("常にTrueTypeフォントを使用"), true));
    });
    EXPECT_EQ(settings.dmPrivate._nTrueTypeMode, 2);
    EXPECT_EQ(settings.dmPublic.dmTTOption, 2);
  }
}

class SubstitutionDialogTest : public FontsPageTest {
 protected:
  // Opens the table from the fonts page; `user` acts in it.
  void OpenTable(HANDLE printer, XDEVMODE* settings, const std::function<void(HWND)>& user) {
    hands_["#143"] = user;
    RunPage(printer, settings, kFontsPage, [&](HWND page, OrbaMainDlg*) { Click(page, 1152); });
  }
  std::string LeftItem(HWND dialog, const std::string& face) {
    for (const std::string& item : Entries(dialog, 1040, false))
      if (item == face || item.rfind(face + " (", 0) == 0) return item;
    return "(missing)";
  }
};

TEST_F(SubstitutionDialogTest, DefaultsUntilSavedThenTheUsersPairsAndBackToDefaults) {
  HANDLE printer = InstallModel(kPs, "Table");
  XDEVMODE settings = Default(printer, "Table", kPdlPs3);
  settings.dmPrivate._dwPrinterAttributes |= 0x40;
  const std::string download = A("ソフトフォントとしてダウンロード");
  OpenTable(printer, &settings, [&](HWND dialog) {
    EXPECT_EQ(Entries(dialog, 1041, false).front(), download);
    EXPECT_EQ(LeftItem(dialog, "Arial"), "Arial (Helvetica)");
    ASSERT_TRUE(Pick(dialog, 1040, "Arial (Helvetica)", false));
    EXPECT_EQ(Selected(dialog, 1041, false), "Helvetica");
    // Arial downloaded, Times New Roman printed with Courier.
    ASSERT_TRUE(Pick(dialog, 1041, download, false));
    EXPECT_EQ(Selected(dialog, 1040, false), "Arial");
    ASSERT_TRUE(Pick(dialog, 1040, LeftItem(dialog, "Times New Roman"), false));
    ASSERT_TRUE(Pick(dialog, 1041, "Courier", false));
    Click(dialog, IDOK);
  });
  EXPECT_EQ(GetString(printer, kStorePrinterData, "FontSubstitutionPS", "Accessed").value_or(""), "TRUE");
  std::vector<std::string> rows;
  for (const std::string& key : Keys(printer, kStorePrinterData, "FontSubstitutionPS"))
    if (key != "Accessed")
      rows.push_back(GetString(printer, kStorePrinterData, "FontSubstitutionPS", key).value_or(""));
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Times New Roman,Courier"), rows.end());
  EXPECT_EQ(std::find(rows.begin(), rows.end(), "Arial,Helvetica"), rows.end());

  OpenTable(printer, &settings, [&](HWND dialog) {
    EXPECT_EQ(LeftItem(dialog, "Arial"), "Arial");
    EXPECT_EQ(LeftItem(dialog, "Times New Roman"), "Times New Roman (Courier)");
    Click(dialog, 1176);  // back to the defaults
    EXPECT_EQ(LeftItem(dialog, "Arial"), "Arial (Helvetica)");
    Click(dialog, IDCANCEL);
  });
}

TEST_F(SubstitutionDialogTest, APartnerIsMatchedByItsWholeName) {
  HANDLE printer = InstallModel(kPcl, "Table PCL");
  XDEVMODE settings = Default(printer, "Table PCL", kPcl5);
  settings.dmPrivate._dwPrinterAttributes |= 0x40;
  InstallDiskFont(printer, "51", "Gothic Extra");
  InstallDiskFont(printer, "52", "Gothic");
  SetString(printer, kStorePrinterData, "FontSubstitutionPCL", "Accessed", "TRUE");
  SetString(printer, kStorePrinterData, "FontSubstitutionPCL", "0", "Courier New,Gothic");
  InstallSoftFont(printer, "53", "Memory Only");
  OpenTable(printer, &settings, [&](HWND dialog) {
    EXPECT_EQ(LeftItem(dialog, "Courier New"), "Courier New (Gothic)");
    // Disk fonts are offered; a font only in the printer's memory is not.
    const std::vector<std::string> faces = Entries(dialog, 1041, false);
    EXPECT_NE(std::find(faces.begin(), faces.end(), "Gothic Extra"), faces.end());
    EXPECT_EQ(std::find(faces.begin(), faces.end(), "Memory Only"), faces.end());
    Click(dialog, IDOK);
  });
  EXPECT_EQ(GetString(printer, kStorePrinterData, "FontSubstitutionPCL", "0").value_or(""), "Courier New,Gothic");
  // The watermark page's faces list the installed soft fonts too.
  RunPage(printer, &settings, 138, [&](HWND page, OrbaMainDlg*) {
    ASSERT_TRUE(Pick(page, 1155, A("社外秘"), false));
    const std::vector<std::string> faces = Entries(page, 1147, true);
    EXPECT_NE(std::find(faces.begin(), faces.end(), "Memory Only"), faces.end());
  });
}

TEST_F(SubstitutionDialogTest, ATableThatCannotBeStoredIsReportedAndTheStoredOneKept) {
  HANDLE printer = InstallModel(kPs, "Table Denied");
  XDEVMODE settings = Default(printer, "Table Denied", kPdlPs3);
  settings.dmPrivate._dwPrinterAttributes |= 0x40;
  SetString(printer, kStorePrinterData, "FontSubstitutionPS", "Accessed", "TRUE");
  SetString(printer, kStorePrinterData, "FontSubstitutionPS", "0", "Arial,Courier");
  // This user may print, not change the printer.
  ASSERT_TRUE(platform::spooler::SetPrinterAccess("Table Denied", platform::CurrentUser(), false));
  bool stillOpen = false;
  OpenTable(printer, &settings, [&](HWND dialog) {
    ASSERT_TRUE(Pick(dialog, 1040, "Arial (Courier)", false));
    ASSERT_TRUE(Pick(dialog, 1041, A("ソフトフォントとしてダウンロード"), false));
    Click(dialog, IDOK);
    stillOpen = ::IsWindowVisible(dialog);
    Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(GetString(printer, kStorePrinterData, "FontSubstitutionPS", "0").value_or(""), "Arial,Courier");
}

}  // namespace
}  // namespace pagetest

namespace pagetest {
namespace {

// In restricted mode the user may look at the table but not change how fonts
// print; the watermark list stays usable, how it prints does not.
TEST_F(SubstitutionDialogTest, RestrictedModeLeavesOnlyWhatTheUserMayUse) {
  HANDLE printer = InstallModel(kPs, "Restricted");
  XDEVMODE settings = Default(printer, "Restricted", kPdlPs3);
  settings.dmPrivate._dwPrinterAttributes |= 0x40;
  bool tableSeen = false;
  hands_["#143"] = [&](HWND dialog) {
    tableSeen = true;
    EXPECT_TRUE(Enabled(dialog, 1040));
    EXPECT_FALSE(Enabled(dialog, 1041));
    EXPECT_FALSE(Enabled(dialog, IDOK));
    EXPECT_FALSE(Enabled(dialog, 1176));
    Click(dialog, IDCANCEL);
  };
  RunPage(
      printer, &settings, kFontsPage,
      [&](HWND page, OrbaMainDlg*) {
        EXPECT_FALSE(Enabled(page, 1149));
        EXPECT_FALSE(Enabled(page, 1154));
        EXPECT_TRUE(Enabled(page, 1152));
        Click(page, 1152);
      },
      IDOK, TRUE);
  EXPECT_TRUE(tableSeen);
  RunPage(
      printer, &settings, 138,
      [&](HWND page, OrbaMainDlg*) {
        ASSERT_TRUE(Pick(page, 1155, A("社外秘"), false));
        EXPECT_TRUE(Enabled(page, 1159));
        EXPECT_TRUE(Enabled(page, 1161));
        EXPECT_FALSE(Enabled(page, 1131));
        EXPECT_FALSE(Enabled(page, 1188));
        EXPECT_FALSE(Enabled(page, 1701));
      },
      IDOK, TRUE);
}

}  // namespace
}  // namespace pagetest
