// What the installer does with damaged or hostile input: soft fonts whose glyph
// sizes no data backs, metrics files no reader could use, entry keys and flags
// that are not what they seem, an information file that is empty or too large to
// read whole, and change operations that fail.
#include <gtest/gtest.h>

#include <cstring>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "fontinstaller/download.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/soft_font_files.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "tests/fontinstaller/installer_test_support.h"

namespace installertest {
namespace {

using fontinstaller::InstalledFontEntry;
using fontinstaller::InstalledMacroEntry;
constexpr char kPrinter[] = "Nardo D";
constexpr DWORD kSharedFlags = 0x5E;

class DamagedInputTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InstallPrinter(kPrinter);
    printer_ = OpenPrinterForTest(kPrinter);
  }
  Bytes Metrics(const std::string& name = "Sound") {
    DescriptorSpec spec;
    spec.name = name;
    std::optional<fontrecord::MetricsBlock> block =
        fontinstaller::BuildSoftFontMetrics(SoftFont(spec, {GlyphSpec{}}), "");
    EXPECT_TRUE(block);
    return Bytes(block->data(), block->data() + block->size());
  }
  void PlaceDiskMetrics(const std::string& pfm, const std::string& name = "Sound") {
    WriteFile(Folder(kFolderPclDiskFonts) + "\\" + pfm, Metrics(name));
  }
  std::optional<DWORD> PrinterDword(const std::string& value) {
    DWORD data = 0;
    DWORD needed = 0;
    DWORD type = 0;
    std::string name = value;
    if (GetPrinterDataA(printer_, name.data(), &type, reinterpret_cast<BYTE*>(&data), sizeof data, &needed) != 0) {
      return std::nullopt;
    }
    return data;
  }
  std::string ShareInfoFile(const std::string& text) {
    const std::string path = "C:\\Work\\shared.pri";
    WriteFile(path, Text(text));
    EXPECT_EQ(fontinstaller::SetInfoFilePath(kPrinter, path.c_str()), 1);
    return path;
  }
  std::string Profile(const std::string& file, const char* section, const char* key) {
    char value[512] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return value;
  }
  InstalledFontEntry DiskFont(int32_t id, const std::string& pfm) {
    InstalledFontEntry entry{};
    entry.id = id;
    entry.location = fontinstaller::kLocationPrinterDisk;
    std::strcpy(entry.pfmFileName, pfm.c_str());
    std::strcpy(entry.fontFilePath, "C:\\Fonts\\disk.sfp");
    return entry;
  }
  HANDLE printer_ = 0;
};

// A few hundred bytes whose glyph claims sizes that would need gigabytes.
TEST_F(DamagedInputTest, GlyphsLargerThanPclOrTheirDataAreRefusedWithoutAFileLeft) {
  const struct {
    const char* what;
    int width;
    int height;
    int glyphClass;
    Bytes raster;
  } cases[] = {
      {"65535 dots square, a few bytes of rows", 65535, 65535, 1, Bytes(200, 0xFF)},
      {"wider than PCL allows", 16385, 1, 1, Bytes(2049, 0xFF)},
      {"taller than PCL allows, run-length", 8, 16385, 2, Bytes(300, 1)},
      {"more rows than its run-length data can give", 4000, 16000, 2, Bytes(300, 200)},
      {"rows cut short", 16, 100, 1, Bytes(20, 0xFF)},
  };
  for (const auto& c : cases) {
    GlyphSpec glyph;
    glyph.width = c.width;
    glyph.height = c.height;
    glyph.glyphClass = c.glyphClass;
    glyph.raster = c.raster;
    const Bytes font = SoftFont(DescriptorSpec{}, {GlyphSpec{}, glyph});
    ASSERT_LT(font.size(), 2500u) << c.what;
    EXPECT_FALSE(fontinstaller::BuildPrinterDiskCopy(font)) << c.what;
    WriteFile("C:\\Work\\damaged.sfp", font);
    InstalledFontEntry entry{};
    std::strcpy(entry.fontFilePath, "C:\\Work\\damaged.sfp");
    EXPECT_EQ(fontinstaller::ConvertForPrinterDisk("C:\\Work\\temp", &entry), 0) << c.what;
    EXPECT_FALSE(FileExists("C:\\Work\\temp")) << c.what;
  }
  // The largest glyph PCL allows, backed by its data, still converts.
  GlyphSpec wide;
  wide.width = 16384;
  wide.height = 2;
  const Bytes sound = SoftFont(DescriptorSpec{}, {wide});
  ASSERT_TRUE(fontinstaller::BuildPrinterDiskCopy(sound));
}

TEST_F(DamagedInputTest, MetricsFilesNoReaderCanUseAreNotStored) {
  const Bytes sound = Metrics();
  Bytes mistagged = sound;
  mistagged[0] = 'X';
  Bytes oldVersion = sound;
  oldVersion[8] = 2;
  Bytes tooLong = sound;
  tooLong.push_back(0);
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {{"empty", {}},
               {"cut", Bytes(sound.begin(), sound.begin() + 300)},
               {"mistagged", mistagged},
               {"another version", oldVersion},
               {"too long", tooLong}};
  for (const auto& c : cases) {
    WriteFile(Folder(kFolderUserPclFonts) + "\\bad.pfm", c.bytes);
    EXPECT_EQ(fontinstaller::AddFontRecord(kPrinter, "1000", "0,bad.pfm,C:\\bad.sfp", 1, "bad.pfm"), 0) << c.what;
    WriteFile(Folder(kFolderPclDiskFonts) + "\\bad.pfm", c.bytes);
    EXPECT_EQ(fontinstaller::AddFontRecord(kPrinter, "3000", "0,bad.pfm,C:\\bad.sfp", 2, "bad.pfm"), 0) << c.what;
  }
  DWORD count = 0;
  EXPECT_NE(Store().GetDword(0, kStoreUserFonts, kHostSection, "PCLFont_Number", &count), 0u);
  EXPECT_FALSE(PrinterDword("PCLFont_Number"));
  EXPECT_TRUE(fontinstaller::ReadFontList(kPrinter).empty());
}

TEST_F(DamagedInputTest, KeysFlagsAndIdsOutsideTheirRangesAreRefused) {
  const struct {
    const char* key;
    const char* value;
  } refused[] = {{"17abc", "0,f.pfm,C:\\f"}, {"32768", "0,f.pfm,C:\\f"}, {"99999999999", "0,f.pfm,C:\\f"},
                 {"17", "-4,f.pfm,C:\\f"},   {"", "0,f.pfm,C:\\f"},      {"PCLFontMem_", "0,f.pfm,C:\\f"}};
  for (const auto& c : refused) {
    InstalledFontEntry font{};
    InstalledMacroEntry macro{};
    std::string value = c.value;
    EXPECT_EQ(parseFontIniEntry(c.key, value.data(), &font), 0) << c.key << " " << c.value;
    value = c.value;
    EXPECT_EQ(parseMacroIniEntry(c.key, value.data(), &macro), 0) << c.key << " " << c.value;
  }
  InstalledFontEntry cartridge{};
  EXPECT_EQ(parseCartIniEntry("Cartridge2x", "C:\\c.crt", &cartridge), 0);
  InstalledFontEntry top{};
  std::string value = "0,f.pfm,C:\\f";
  EXPECT_EQ(parseFontIniEntry("32767", value.data(), &top), 1);
  EXPECT_EQ(top.id, 32767);

  // An id a printer cannot take is neither stored nor sent.
  PlaceDiskMetrics("big.pfm");
  const std::string pri = ShareInfoFile("[Fonts]\r\nChangeCounter=0\r\n[Macros]\r\nChangeCounter=0\r\n");
  InstalledFontEntry big = DiskFont(40000, "big.pfm");
  std::string name = kPrinter;
  EXPECT_EQ(UpdateInfoFont(0, name.data(), &big, nullptr, fontinstaller::kUpdateAdd, kSharedFlags), 0);
  int id = 40000;
  EXPECT_EQ(deletePCLFile(0, "x", fontinstaller::kKindFonts, name.data(), &id, nullptr), 0);
  EXPECT_FALSE(FileExists("C:\\Ports\\out.prn"));
  EXPECT_EQ(Profile(pri, "Fonts", "ChangeCounter"), "0");
}

TEST_F(DamagedInputTest, RemovingAnAbsentIdLeavesTheCountAlone) {
  PlaceDiskMetrics("a.pfm");
  ASSERT_EQ(fontinstaller::AddFontRecord(kPrinter, "3001", "0,a.pfm,C:\\a.sfp", 2, "a.pfm"), 1);
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "5", "0,M,C:\\m.mac", 1), 1);
  fontinstaller::RemoveRecord(kPrinter, fontinstaller::kKindFonts, "3002", 2);
  fontinstaller::RemoveRecord(kPrinter, fontinstaller::kKindMacros, "6", 1);
  EXPECT_EQ(PrinterDword("PCLFont_Number"), 1u);
  DWORD count = 0;
  ASSERT_EQ(Store().GetDword(0, kStoreUserMacros, kHostSection, "Macro_Number", &count), 0u);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(fontinstaller::RemoveRecord(kPrinter, fontinstaller::kKindFonts, "3001", 2), 1);
  EXPECT_EQ(PrinterDword("PCLFont_Number"), 0u);
}

TEST_F(DamagedInputTest, AFailedSharedChangeAnswersZeroAndAdvancesNoCounter) {
  const std::string pri = ShareInfoFile("[Fonts]\r\nChangeCounter=7\r\n[Macros]\r\nChangeCounter=3\r\n");
  ASSERT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, kSharedFlags), 1);
  std::string name = kPrinter;
  // No metrics file: the add fails.
  InstalledFontEntry font = DiskFont(3001, "missing.pfm");
  EXPECT_EQ(UpdateInfoFont(0, name.data(), &font, nullptr, fontinstaller::kUpdateAdd, kSharedFlags), 0);
  // Nothing recorded under the id: the removal fails.
  InstalledMacroEntry macro{};
  macro.id = 3001;
  macro.location = fontinstaller::kLocationPrinterDisk;
  std::strcpy(macro.name, "LOGO");
  std::strcpy(macro.filePath, "C:\\logo.mac");
  EXPECT_EQ(UpdateInfoMacro(0, name.data(), &macro, nullptr, fontinstaller::kUpdateRemove, kSharedFlags), 0);
  // A change of an id nobody recorded.
  InstalledMacroEntry renamed = macro;
  std::strcpy(renamed.name, "LOGO2");
  EXPECT_EQ(UpdateInfoMacro(0, name.data(), &macro, &renamed, fontinstaller::kUpdateChange, kSharedFlags), 0);

  EXPECT_EQ(Profile(pri, "Fonts", "ChangeCounter"), "7");
  EXPECT_EQ(Profile(pri, "Macros", "ChangeCounter"), "3");
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindFonts), 7);
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindMacros), 3);
  EXPECT_EQ(Profile(pri, "Fonts", "3001"), "");
  EXPECT_EQ(Profile(pri, "Macros", "3001"), "");
}

TEST_F(DamagedInputTest, SyncTakesChangesAndDeletesNothingItCouldNotReadWhole) {
  PlaceDiskMetrics("a.pfm", "Alpha");
  const std::string pri = ShareInfoFile(
      "[Fonts]\r\nChangeCounter=1\r\n3001=0,a.pfm,C:\\a.sfp\r\n"
      "[Macros]\r\nChangeCounter=1\r\n3002=0,LOGO,C:\\logo.mac\r\n");
  ASSERT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, kSharedFlags), 1);
  ASSERT_EQ(fontinstaller::ReadFontList(kPrinter).size(), 1u);

  // Another PC changed both entries in place (same ids).
  WritePrivateProfileStringA("Fonts", "3001", "8192,a.pfm,C:\\a.sfp", pri.c_str());
  WritePrivateProfileStringA("Macros", "3002", "0,FORM,C:\\form.mac", pri.c_str());
  WritePrivateProfileStringA("Fonts", "ChangeCounter", "2", pri.c_str());
  ASSERT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, kSharedFlags), 1);
  std::vector<InstalledFontEntry> fonts = fontinstaller::ReadFontList(kPrinter);
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].flags, fontinstaller::kEntryResident);
  std::vector<InstalledMacroEntry> macros = fontinstaller::ReadMacroList(kPrinter);
  ASSERT_EQ(macros.size(), 1u);
  EXPECT_STREQ(macros[0].name, "FORM");
  EXPECT_STREQ(macros[0].filePath, "C:\\form.mac");

  // Files that cannot be read whole change nothing and say so.
  std::string huge = "[Fonts]\r\nChangeCounter=3\r\n";
  for (int i = 0; i < 2500; ++i) huge += "Padding_key_number_" + std::to_string(i) + "=x\r\n";
  huge += "[Macros]\r\nChangeCounter=3\r\n3002=0,FORM,C:\\form.mac\r\n";
  const struct {
    const char* what;
    std::string text;
  } unreadable[] = {{"empty", ""},
                    {"no counters", "[Fonts]\r\n3005=0,a.pfm,C:\\a.sfp\r\n[Macros]\r\n"},
                    {"a section too large to list", huge}};
  for (const auto& c : unreadable) {
    WriteFile(pri, Text(c.text));
    EXPECT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, kSharedFlags), 0) << c.what;
    EXPECT_EQ(fontinstaller::ReadFontList(kPrinter).size(), 1u) << c.what;
    EXPECT_EQ(fontinstaller::ReadMacroList(kPrinter).size(), 1u) << c.what;
    EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindFonts), 2) << c.what;
  }
}

TEST_F(DamagedInputTest, TypefaceTableHasAFamilyForEveryPclTypeface) {
  const struct {
    int typeface;
    int family;
    const char* name;
  } known[] = {{0, 48, "Line Printer"},   {3, 48, "Courier"},
               {4, 32, "Helv"},           {5, 16, "Tms Rmn"},
               {6, 48, "Letter Gothic"},  {7, 64, "Script"},
               {8, 48, "Prestige"},       {23, 16, "Century Schoolbook"},
               {31, 32, "Avant Garde"},   {43, 64, "Zapf Chancery"},
               {45, 80, "Zapf Dingbats"}, {52, 32, "Univers"},
               {72, 32, "Antique Olive"}, {101, 16, "Garamond Antiqua"}};
  for (const auto& k : known) {
    std::string name;
    EXPECT_EQ(fontinstaller::FamilyOfTypeface(k.typeface, &name), k.family) << k.typeface;
    EXPECT_EQ(name, k.name) << k.typeface;
  }
  for (int typeface = 0; typeface < 140; ++typeface) {
    std::string name;
    EXPECT_NE(fontinstaller::FamilyOfTypeface(typeface, &name), 0) << typeface;
    EXPECT_FALSE(name.empty()) << typeface;
  }
  std::string name;
  EXPECT_EQ(fontinstaller::FamilyOfTypeface(140, &name), 0);
  EXPECT_TRUE(name.empty());
}

}  // namespace
}  // namespace installertest
