// The installed fonts and macros store: records written the way the driver's
// readers read them back, lists and counts, memory marks, the list readers, the
// information-file exports and the change operations with their counters.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/soft_font_files.h"
#include "interface/records/host_font_entry.h"
#include "interface/records/macro_list.h"
#include "platform/base/codepage.h"
#include "platform/base/global_memory.h"
#include "platform/base/machine.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "tests/fontinstaller/installer_test_support.h"

namespace installertest {
namespace {

using fontinstaller::InstalledFontEntry;
using fontinstaller::InstalledMacroEntry;
constexpr char kPrinter[] = "Nardo C";
constexpr DWORD kSharedFlags = 0x5E;  // may change, may choose the file, shared file

class InstalledStoreTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InstallPrinter(kPrinter);
    printer_ = OpenPrinterForTest(kPrinter);
  }
  // A metrics file of a font named name in the folder of the location.
  void PlaceMetrics(int32_t location, const std::string& pfm, const std::string& name = "Placed") {
    DescriptorSpec spec;
    spec.name = name;
    std::optional<fontrecord::MetricsBlock> block =
        fontinstaller::BuildSoftFontMetrics(SoftFont(spec, {GlyphSpec{}}), "");
    ASSERT_TRUE(block);
    const int which = location == fontinstaller::kLocationPcDisk ? kFolderUserPclFonts : kFolderPclDiskFonts;
    WriteFile(Folder(which) + "\\" + pfm, Bytes(block->data(), block->data() + block->size()));
  }
  std::optional<std::string> UserString(int kind, const std::string& key) {
    char buffer[8192] = {};
    DWORD size = sizeof buffer;
    if (Store().GetString(0, kind, kHostSection, key.c_str(), buffer, &size) != 0) return std::nullopt;
    return std::string(buffer);
  }
  std::optional<DWORD> UserDword(int kind, const std::string& key) {
    DWORD value = 0;
    if (Store().GetDword(0, kind, kHostSection, key.c_str(), &value) != 0) return std::nullopt;
    return value;
  }
  std::optional<std::string> PrinterString(const std::string& section, const std::string& key,
                                           int kind = kStorePrinterFonts) {
    char buffer[8192] = {};
    DWORD size = sizeof buffer;
    if (Store().GetString(printer_, kind, section.c_str(), key.c_str(), buffer, &size) != 0) return std::nullopt;
    return std::string(buffer);
  }
  std::optional<DWORD> PrinterDword(const std::string& section, const std::string& key) {
    DWORD value = 0;
    if (Store().GetDword(printer_, kStorePrinterFonts, section.c_str(), key.c_str(), &value) != 0) return std::nullopt;
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
  // The shared information file, chosen for the printer's model.
  std::string ShareInfoFile(const std::string& text = "[Fonts]\r\nChangeCounter=0\r\n[Macros]\r\nChangeCounter=0\r\n") {
    const std::string path = "C:\\Work\\shared.pri";
    WriteFile(path, Text(text));
    EXPECT_EQ(fontinstaller::SetInfoFilePath(kPrinter, path.c_str()), 1);
    return path;
  }
  HANDLE printer_ = 0;
};

TEST_F(InstalledStoreTest, PcDiskFontRecordIsReadBackByTheDriversReader) {
  PlaceMetrics(fontinstaller::kLocationPcDisk, "font5.pfm", "Placed Five");
  ASSERT_EQ(fontinstaller::AddFontRecord(kPrinter, "5", "0,font5.pfm,C:\\Fonts\\font 5.sfp", 1, "font5.pfm"), 1);
  BYTE data[1024];
  DWORD size = sizeof data;
  char name[261];
  ASSERT_EQ(ReadHostFontEntry(printer_, kHostSection, "PCLFont", "5", data, &size, name, sizeof name), 1);
  EXPECT_EQ(size, 689u);
  EXPECT_STREQ(name, "C:\\Fonts\\font 5.sfp");
  EXPECT_EQ(fontrecord::MetricsBlock::FromBytes(data, size)->FaceName(), "Placed Five");
  EXPECT_EQ(UserDword(kStoreUserFonts, "PCLFont_Number"), 1u);
  EXPECT_EQ(UserString(kStoreUserFonts, "PCLFont_List"), "5;");

  // A second add of the same id changes nothing and says so.
  PlaceMetrics(fontinstaller::kLocationPcDisk, "other.pfm", "Other");
  EXPECT_EQ(fontinstaller::AddFontRecord(kPrinter, "5", "0,other.pfm,C:\\x.sfp;", 1, "other.pfm"), 0);
  size = sizeof data;
  ASSERT_EQ(ReadHostFontEntry(printer_, kHostSection, "PCLFont", "5", data, &size, name, sizeof name), 1);
  EXPECT_STREQ(name, "C:\\Fonts\\font 5.sfp");
  EXPECT_EQ(UserDword(kStoreUserFonts, "PCLFont_Number"), 1u);
  EXPECT_EQ(UserString(kStoreUserFonts, "PCLFont_List"), "5;");
}

TEST_F(InstalledStoreTest, PrinterDiskFontRecordIsReadBackFromThePrintersData) {
  PlaceMetrics(fontinstaller::kLocationPrinterDisk, "disk.pfm");
  ASSERT_EQ(fontinstaller::AddFontRecord(kPrinter, "3000", "0,disk.pfm,C:\\Fonts\\disk.sfp", 2, "disk.pfm"), 1);
  BYTE data[1024];
  DWORD size = sizeof data;
  char name[261];
  ASSERT_EQ(ReadHostFontEntry(printer_, nullptr, "PCLFontDisk", "3000", data, &size, name, sizeof name), 1);
  EXPECT_EQ(size, 689u);
  EXPECT_STREQ(name, "C:\\Fonts\\disk.sfp");
  // As the fonts page reads the count and the list.
  EXPECT_EQ(PrinterDword("PCLFont", "Number"), 1u);
  EXPECT_EQ(PrinterString("PCLFontDisk", "List"), "3000;");
}

TEST_F(InstalledStoreTest, RecordsThatWouldNotReadBackAsWrittenAreRefused) {
  PlaceMetrics(fontinstaller::kLocationPcDisk, "f.pfm");
  const struct {
    const char* what;
    std::string text;
    std::string pfm;
  } cases[] = {{"no metrics file", "0,none.pfm,C:\\f.sfp", "none.pfm"},
               {"a blank in the metrics name", "0,a b.pfm,C:\\f.sfp", "a b.pfm"},
               {"a folder in the metrics name", "0,..\\f.pfm,C:\\f.sfp", "..\\f.pfm"},
               {"a semicolon in the path", "0,f.pfm,C:\\a;b.sfp", "f.pfm"}};
  for (const auto& c : cases) EXPECT_EQ(fontinstaller::AddFontRecord(kPrinter, "6", c.text, 1, c.pfm), 0) << c.what;
  EXPECT_FALSE(UserString(kStoreUserFonts, "PCLFont_List"));
}

TEST_F(InstalledStoreTest, RemovingAnIdKeepsTheRestOfTheList) {
  const struct {
    std::string list;
    std::string id;
    std::string expected;
    // clang-format off
  } cases[] = {{"3;12;7;", "12", "3;7;"}, {"3;12;7;", "5", "3;12;7;"}, {"12;", "12", ""},
               {"3;12", "12", "3;"},     {"123;12;", "12", "123;"}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(fontinstaller::RemoveIdFromList(c.list, c.id), c.expected) << c.list;

  ASSERT_EQ(Store().SetString(0, kStoreUserMacros, kHostSection, "Macro_List", "3;12;7;"), 0u);
  ASSERT_EQ(Store().SetDword(0, kStoreUserMacros, kHostSection, "Macro_Number", 3), 0u);
  ASSERT_EQ(Store().SetString(0, kStoreUserMacros, kHostSection, "Macro_12", "0,Logo,C:\\logo.mac"), 0u);
  EXPECT_EQ(fontinstaller::RemoveRecord(kPrinter, fontinstaller::kKindMacros, "12", 1), 1);
  EXPECT_EQ(UserString(kStoreUserMacros, "Macro_List"), "3;7;");
  EXPECT_EQ(UserDword(kStoreUserMacros, "Macro_Number"), 2u);
  EXPECT_FALSE(UserString(kStoreUserMacros, "Macro_12"));
}

TEST_F(InstalledStoreTest, LongListsAndLargeRecordsAreNeitherLostNorOverwritten) {
  std::string list;
  for (int id = 1000; id < 1300; ++id) list += std::to_string(id) + ";";
  ASSERT_GT(list.size(), 1024u);
  ASSERT_EQ(Store().SetString(0, kStoreUserFonts, kHostSection, "PCLFont_List", list.c_str()), 0u);
  ASSERT_EQ(Store().SetDword(0, kStoreUserFonts, kHostSection, "PCLFont_Number", 300), 0u);
  PlaceMetrics(fontinstaller::kLocationPcDisk, "f.pfm");
  ASSERT_EQ(fontinstaller::AddFontRecord(kPrinter, "1500", "0,f.pfm,C:\\f.sfp", 1, "f.pfm"), 1);
  EXPECT_EQ(UserString(kStoreUserFonts, "PCLFont_List"), list + "1500;");
  EXPECT_EQ(UserDword(kStoreUserFonts, "PCLFont_Number"), 301u);

  // A record larger than a first read is still a record.
  const Bytes large(3000, 'x');
  ASSERT_EQ(Store().SetData(0, kStoreUserFonts, kHostSection, "PCLFont_9", large.data(), 3000), 0u);
  EXPECT_EQ(fontinstaller::AddFontRecord(kPrinter, "9", "0,f.pfm,C:\\f.sfp", 1, "f.pfm"), 0);
  BYTE back[4000];
  DWORD size = sizeof back;
  ASSERT_EQ(Store().GetData(0, kStoreUserFonts, kHostSection, "PCLFont_9", back, &size), 0u);
  EXPECT_EQ(size, 3000u);
}

TEST_F(InstalledStoreTest, MacrosAreListedByTheJobOptionsReader) {
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "3", "0,Logo,C:\\Macros\\logo.mac", 1), 1);
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "3001", "0,FORM,C:\\Macros\\form.mac", 2), 1);
  ASSERT_EQ(fontinstaller::SetMemoryMark(kPrinter, fontinstaller::kKindMacros, "3", "4,Logo,C:\\Macros\\logo.mac"), 1);
  XDEVMODE devmode{};
  devmode.dmPrivate._dwPrinterAttributes = PRINTER_ATTRIBUTE_LOCAL;
  const std::vector<MacroChoice> choices = ReadMacroChoices(printer_, devmode);
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choices[0].id, 3);
  EXPECT_STREQ(choices[0].name, "Logo");
  EXPECT_EQ(choices[0].location, kMacroPcDiskMemory);
  EXPECT_EQ(choices[1].id, 3001);
  EXPECT_STREQ(choices[1].name, "FORM");
  EXPECT_EQ(choices[1].location, kMacroPrinterDisk);

  const std::vector<InstalledMacroEntry> list = fontinstaller::ReadMacroList(kPrinter);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].flags, fontinstaller::kEntryInMemory);
  EXPECT_EQ(list[0].location, 1);
  EXPECT_STREQ(list[0].filePath, "C:\\Macros\\logo.mac");
  EXPECT_EQ(list[1].location, 2);
}

TEST_F(InstalledStoreTest, FontListReaderTakesNamesAndStylesFromTheMetrics) {
  PlaceMetrics(fontinstaller::kLocationPcDisk, "a.pfm", "Alpha");
  PlaceMetrics(fontinstaller::kLocationPrinterDisk, "b.pfm", "Beta");
  ASSERT_EQ(fontinstaller::AddFontRecord(kPrinter, "1001", "0,a.pfm,C:\\a.sfp", 1, "a.pfm"), 1);
  ASSERT_EQ(fontinstaller::AddFontRecord(kPrinter, "3002", "8192,b.pfm,C:\\b.sfp", 2, "b.pfm"), 1);
  ASSERT_EQ(fontinstaller::SetMemoryMark(kPrinter, fontinstaller::kKindFonts, "1001", "4,a.pfm,C:\\a.sfp"), 1);
  EXPECT_TRUE(fontinstaller::HasMemoryMark(kPrinter, fontinstaller::kKindFonts, "1001"));
  // Ids that are no numbers are passed over.
  ASSERT_EQ(Store().SetString(0, kStoreUserFonts, kHostSection, "PCLFont_List", "1001;abc;"), 0u);
  const std::vector<InstalledFontEntry> list = fontinstaller::ReadFontList(kPrinter);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, 1001);
  EXPECT_STREQ(list[0].fontName, "Alpha");
  EXPECT_EQ(list[0].pointSize, 12);
  EXPECT_EQ(list[0].family, 48);
  EXPECT_EQ(list[0].flags, fontinstaller::kEntryInMemory);
  EXPECT_STREQ(list[0].pfmFileName, "a.pfm");
  EXPECT_EQ(list[1].id, 3002);
  EXPECT_EQ(list[1].location, 2);
  EXPECT_EQ(list[1].flags, fontinstaller::kEntryResident);
  EXPECT_STREQ(list[1].fontName, "Beta");

  EXPECT_EQ(fontinstaller::RemoveMemoryMark(kPrinter, fontinstaller::kKindFonts, "1001"), 1);
  EXPECT_FALSE(fontinstaller::HasMemoryMark(kPrinter, fontinstaller::kKindFonts, "1001"));
}

TEST_F(InstalledStoreTest, InMemoryListsReplaceAnEntryOfTheSameLocationAndFile) {
  std::vector<InstalledMacroEntry> list;
  InstalledMacroEntry a{1, 0, 1, "A", "C:\\a.mac"};
  InstalledMacroEntry b{2, 0, 2, "B", "C:\\a.mac"};
  InstalledMacroEntry a2{7, 4, 1, "A2", "C:\\a.mac"};
  fontinstaller::AddListEntry(list, a);
  fontinstaller::AddListEntry(list, b);
  fontinstaller::AddListEntry(list, a2);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, 7);
  EXPECT_EQ(list[1].id, 2);
}

TEST_F(InstalledStoreTest, ClearingThePrinterDiskListLeavesPcRecords) {
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "1", "0,Pc,C:\\pc.mac", 1), 1);
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "3001", "0,A,C:\\a.mac", 2), 1);
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "3002", "0,B,C:\\b.mac", 2), 1);
  EXPECT_EQ(fontinstaller::ClearPrinterDiskList(kPrinter, fontinstaller::kKindMacros), 1);
  EXPECT_FALSE(PrinterString("MacroDisk", "List", kStorePrinterMacros));
  EXPECT_FALSE(PrinterString("MacroDisk", "3001", kStorePrinterMacros));
  EXPECT_EQ(PrinterDword("Macro", "Number"), 0u);
  EXPECT_EQ(UserString(kStoreUserMacros, "Macro_1"), "0,Pc,C:\\pc.mac");
}

TEST_F(InstalledStoreTest, EntryParsersAcceptNumberedKeysOnly) {
  const struct {
    const char* key;
    const char* value;
    int result;
    int32_t id;
    const char* pfm;
  } cases[] = {
      {"17", "0,fonts\\f17.pfm,C:\\f 17.sfp", 1, 17, "f17.pfm"},
      {"PCLFontMem_18", "4,f18.pfm,C:\\f18.sfp", 1, 18, "f18.pfm"},
      {" \t0", "0,z.pfm,C:\\z", 1, 0, "z.pfm"},
      {"+5", "0 x.pfm C:\\x", 1, 5, "x.pfm"},
      {"-5", "0,x.pfm,C:\\x", 0, 0, ""},
      {"ChangeCounter", "3", 0, 0, ""},
      {"Cartridge1", "C:\\cart.bin", 0, 0, ""},
      {"19", "0,only-two", 0, 0, ""},
      {"20", "0,..,C:\\x", 0, 0, ""},
      {"21", "0,dir/evil.pfm,C:\\x", 1, 21, "evil.pfm"},
  };
  for (const auto& c : cases) {
    InstalledFontEntry entry{};
    std::string value = c.value;
    ASSERT_EQ(parseFontIniEntry(c.key, value.data(), &entry), c.result) << c.key;
    if (!c.result) continue;
    EXPECT_EQ(entry.id, c.id) << c.key;
    EXPECT_STREQ(entry.pfmFileName, c.pfm) << c.key;
  }
  InstalledMacroEntry macro{};
  std::string value = "4,ABCDEFGHIJKLMNOPQRS,C:\\m.mac";
  ASSERT_EQ(parseMacroIniEntry("MacroMem_9", value.data(), &macro), 1);
  EXPECT_EQ(macro.id, 9);
  EXPECT_STREQ(macro.name, "ABCDEFGHIJKLMNOP");
  EXPECT_STREQ(macro.filePath, "C:\\m.mac");

  InstalledFontEntry cartridge{};
  ASSERT_EQ(parseCartIniEntry("cartridge3", "C:\\Carts\\forms.crt", &cartridge), 1);
  EXPECT_EQ(cartridge.id, 3);
  EXPECT_STREQ(cartridge.fontFilePath, "C:\\Carts\\forms.crt");
  EXPECT_STREQ(cartridge.pfmFileName, "forms.crt");
  EXPECT_EQ(parseCartIniEntry("Cart3", "x", &cartridge), 0);
}

// In the ANSI code page "表" is 0x95 0x5C and "ソ" 0x83 0x5C: their trail byte
// is a backslash, which must not cut the name.
TEST_F(InstalledStoreTest, NamesWithABackslashTrailByteStayWhole) {
  for (const char* name : {"表.sfp", "C:\\Fonts\\表.sfp", "C:\\表示\\ソフト表.sfp", "A:表.sfp"}) {
    const std::string path = platform::AnsiFromUtf8(name);
    const std::string utf8 = name;
    const std::string expected = platform::AnsiFromUtf8(utf8.substr(utf8.find_last_of("\\:") + 1));
    SCOPED_TRACE(name);
    InstalledFontEntry cartridge{};
    ASSERT_EQ(parseCartIniEntry("Cartridge4", path.c_str(), &cartridge), 1);
    EXPECT_EQ(std::string(cartridge.pfmFileName), expected);
    EXPECT_EQ(std::string(cartridge.fontFilePath), path);

    InstalledFontEntry font{};
    std::string value = "0," + path + ",C:\\x.sfp";
    ASSERT_EQ(parseFontIniEntry("22", value.data(), &font), 1);
    EXPECT_EQ(std::string(font.pfmFileName), expected);
  }
}

TEST_F(InstalledStoreTest, IniEnumerationListsKeysAndGrowsForLongSections) {
  std::string text = "[Empty]\r\n[Fonts]\r\nChangeCounter=4\r\nBlank=\r\n";
  for (int i = 0; i < 300; ++i) text += "Key" + std::to_string(i) + "=value" + std::to_string(i) + "\r\n";
  WriteFile("C:\\Work\\enum.ini", Text(text));

  HGLOBAL empty = InitEnumIniEntries("C:\\Work\\enum.ini", "Empty");
  ASSERT_NE(empty, 0u);
  char key[64];
  char value[64];
  EXPECT_EQ(EnumIniEntries(empty, key, sizeof key, value, sizeof value), 0);
  EXPECT_EQ(EndEnumIniEntries(empty), 0u);

  HGLOBAL fonts = InitEnumIniEntries("C:\\Work\\enum.ini", "Fonts");
  ASSERT_NE(fonts, 0u);
  EXPECT_GT(GlobalSize(fonts), 2048u);
  std::vector<std::string> keys;
  int produced = 0;
  while (EnumIniEntries(fonts, key, sizeof key, value, sizeof value)) {
    ++produced;
    if (key[0]) keys.push_back(std::string(key) + "=" + value);
  }
  EXPECT_EQ(produced, 302);
  ASSERT_EQ(keys.size(), 301u) << "a key with an empty value is produced without its name";
  EXPECT_EQ(keys.front(), "ChangeCounter=4");
  EXPECT_EQ(keys.back(), "Key299=value299");
  EXPECT_EQ(EndEnumIniEntries(fonts), 0u);
  EXPECT_EQ(EndEnumIniEntries(0), static_cast<HGLOBAL>(-1));
  EXPECT_EQ(EnumIniEntries(0, key, sizeof key, value, sizeof value), 0);
}

TEST_F(InstalledStoreTest, InfoFileIsFoundOnlyWhenItExists) {
  char path[512] = "old";
  EXPECT_EQ(GetInfoFile(0, kPrinter, path, sizeof path), 0);
  EXPECT_STREQ(path, "");
  EXPECT_TRUE(boxes.empty()) << "no file chosen is not a missing file";

  ASSERT_EQ(fontinstaller::SetInfoFilePath(kPrinter, "C:\\Work\\missing.pri"), 1);
  EXPECT_EQ(GetInfoFile(0, kPrinter, path, sizeof path), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Cannot open file: C:\\Work\\missing.pri");
  EXPECT_EQ(boxes[0].caption, "Printer Information File");

  const std::string shared = ShareInfoFile();
  EXPECT_EQ(GetInfoFile(0, kPrinter, path, sizeof path), 1);
  EXPECT_EQ(std::string(path), shared);
  char small[8];
  EXPECT_EQ(GetInfoFile(0, kPrinter, small, sizeof small), 1);
  EXPECT_STREQ(small, "C:\\Work");
}

TEST_F(InstalledStoreTest, PrinterDiskChangesGoToTheInfoFileAndAdvanceBothCounters) {
  const std::string pri = ShareInfoFile("[Fonts]\r\nChangeCounter=32765\r\n");
  PlaceMetrics(fontinstaller::kLocationPrinterDisk, "d1.pfm");
  InstalledFontEntry entry = DiskFont(3001, "d1.pfm");
  std::string name = kPrinter;
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, nullptr, fontinstaller::kUpdateAdd, kSharedFlags), 1);
  char value[256];
  GetPrivateProfileStringA("Fonts", "3001", "", value, sizeof value, pri.c_str());
  EXPECT_STREQ(value, "0,d1.pfm,C:\\Fonts\\disk.sfp");
  EXPECT_EQ(GetPrivateProfileIntA("Fonts", "ChangeCounter", -1, pri.c_str()), 32766u);
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindFonts), 32766);

  // The next change wraps both counters.
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, nullptr, fontinstaller::kUpdateRemove, kSharedFlags), 1);
  EXPECT_EQ(GetPrivateProfileIntA("Fonts", "ChangeCounter", -1, pri.c_str()), 0u);
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindFonts), 0);
  GetPrivateProfileStringA("Fonts", "3001", "", value, sizeof value, pri.c_str());
  EXPECT_STREQ(value, "");
  EXPECT_EQ(PrinterString("PCLFontDisk", "List"), "");

  // Without the file nothing changes.
  ASSERT_EQ(fontinstaller::SetInfoFilePath(kPrinter, "C:\\Work\\gone.pri"), 1);
  EXPECT_EQ(UpdateInfoFont(0, name.data(), &entry, nullptr, fontinstaller::kUpdateAdd, kSharedFlags), 0);
  EXPECT_FALSE(PrinterString("PCLFontDisk", "3001"));
}

TEST_F(InstalledStoreTest, UpdateFromTheInfoFileAddsNumberedFontsOnly) {
  PlaceMetrics(fontinstaller::kLocationPrinterDisk, "f17.pfm");
  ShareInfoFile(
      "[Fonts]\r\nChangeCounter=9\r\n17=0,f17.pfm,C:\\Fonts\\f17.sfp\r\nCartridge1=C:\\Carts\\c.crt\r\n"
      "[Macros]\r\nChangeCounter=2\r\n30=0,LOGO,C:\\Macros\\logo.mac\r\n");
  ASSERT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, kSharedFlags), 1);
  EXPECT_EQ(PrinterString("PCLFontDisk", "List"), "17;");
  EXPECT_EQ(PrinterDword("PCLFont", "Number"), 1u);
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindFonts), 9);
  EXPECT_EQ(PrinterString("MacroDisk", "List", kStorePrinterMacros), "30;");
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindMacros), 2);

  // Without the right to change the lists nothing is read; without the file flags nothing is asked.
  EXPECT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, 0x50), 0);
  EXPECT_EQ(fontinstaller::SyncInfoFile(0, kPrinter, 0x0E), 1);
}

TEST_F(InstalledStoreTest, TwoPcsSharingTheFileSeeEachOthersChanges) {
  InstallPrinter("Nardo C second PC");
  const char* other = "Nardo C second PC";
  const std::string pri = ShareInfoFile();
  PlaceMetrics(fontinstaller::kLocationPrinterDisk, "s.pfm");
  InstalledFontEntry entry = DiskFont(3005, "s.pfm");
  std::string name = kPrinter;
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, nullptr, fontinstaller::kUpdateAdd, kSharedFlags), 1);
  // The other queue's counter differs from the file's: its lists are stale.
  EXPECT_NE(fontinstaller::ReadChangeCounter(other, fontinstaller::kKindFonts),
            static_cast<long>(GetPrivateProfileIntA("Fonts", "ChangeCounter", 0, pri.c_str())));
  ASSERT_EQ(fontinstaller::SyncInfoFile(0, other, kSharedFlags), 1);
  ASSERT_EQ(fontinstaller::ReadFontList(other).size(), 1u);
  EXPECT_EQ(fontinstaller::ReadFontList(other)[0].id, 3005);

  // A removal on the first reaches the second at its next update.
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, nullptr, fontinstaller::kUpdateRemove, kSharedFlags), 1);
  ASSERT_EQ(fontinstaller::SyncInfoFile(0, other, kSharedFlags), 1);
  EXPECT_TRUE(fontinstaller::ReadFontList(other).empty());
}

TEST_F(InstalledStoreTest, ChangingAnEntryKeepsOrMovesItsRecordAndMark) {
  const std::string pri = ShareInfoFile();
  PlaceMetrics(fontinstaller::kLocationPrinterDisk, "c.pfm");
  InstalledFontEntry entry = DiskFont(3010, "c.pfm");
  std::string name = kPrinter;
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, nullptr, fontinstaller::kUpdateAdd, kSharedFlags), 1);
  InstalledFontEntry marked = entry;
  marked.flags = fontinstaller::kEntryInMemory;
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, &marked, fontinstaller::kUpdateMemoryMark, kSharedFlags), 1);

  // Same id: the record takes the new flags and the font stays marked as loaded.
  InstalledFontEntry resident = entry;
  resident.flags = fontinstaller::kEntryResident;
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &entry, &resident, fontinstaller::kUpdateChange, kSharedFlags), 1);
  std::vector<InstalledFontEntry> list = fontinstaller::ReadFontList(kPrinter);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].flags, fontinstaller::kEntryResident);
  EXPECT_TRUE(fontinstaller::HasMemoryMark(kPrinter, fontinstaller::kKindFonts, "3010"));

  // A new id: the old record, its key in the file and its mark go.
  InstalledFontEntry moved = resident;
  moved.id = 3011;
  ASSERT_EQ(UpdateInfoFont(0, name.data(), &resident, &moved, fontinstaller::kUpdateChange, kSharedFlags), 1);
  list = fontinstaller::ReadFontList(kPrinter);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].id, 3011);
  char value[256];
  GetPrivateProfileStringA("Fonts", "3010", "", value, sizeof value, pri.c_str());
  EXPECT_STREQ(value, "") << "left behind, the old key would come back on the other PCs";
  GetPrivateProfileStringA("Fonts", "3011", "", value, sizeof value, pri.c_str());
  EXPECT_STREQ(value, "8192,c.pfm,C:\\Fonts\\disk.sfp");
  EXPECT_FALSE(fontinstaller::HasMemoryMark(kPrinter, fontinstaller::kKindFonts, "3010"));
  EXPECT_EQ(UpdateInfoFont(0, name.data(), &resident, &moved, 77, kSharedFlags), 0);
}

TEST_F(InstalledStoreTest, RemovingAMacroRemovesItsMemoryMark) {
  InstalledMacroEntry macro{4, 0, 1, "Logo", "C:\\Macros\\logo.mac"};
  std::string name = kPrinter;
  ASSERT_EQ(UpdateInfoMacro(0, name.data(), &macro, nullptr, fontinstaller::kUpdateAdd, 0x4E), 1);
  InstalledMacroEntry loaded = macro;
  loaded.flags = fontinstaller::kEntryInMemory;
  ASSERT_EQ(UpdateInfoMacro(0, name.data(), &macro, &loaded, fontinstaller::kUpdateMemoryMark, 0x4E), 1);
  EXPECT_TRUE(fontinstaller::HasMemoryMark(kPrinter, fontinstaller::kKindMacros, "4"));
  ASSERT_EQ(UpdateInfoMacro(0, name.data(), &macro, nullptr, fontinstaller::kUpdateRemove, 0x4E), 1);
  EXPECT_FALSE(fontinstaller::HasMemoryMark(kPrinter, fontinstaller::kKindMacros, "4"));
  EXPECT_TRUE(fontinstaller::ReadMacroList(kPrinter).empty());
}

TEST_F(InstalledStoreTest, RememberedFoldersFallBackToTheDocumentsFolder) {
  const std::string documents = fontinstaller::ReadRememberedFolder("PCLMacro");
  EXPECT_FALSE(documents.empty());
  ASSERT_EQ(fontinstaller::RememberFolder("PCLMacro", "C:\\Work\\Macros"), 1);
  EXPECT_EQ(fontinstaller::ReadRememberedFolder("PCLMacro"), "C:\\Work\\Macros");
}

TEST_F(InstalledStoreTest, AUserWhoMayNotAdministerThePrinterChangesNoPrinterDiskList) {
  ASSERT_EQ(fontinstaller::AddMacroRecord(kPrinter, "3001", "0,A,C:\\a.mac", 2), 1);
  ASSERT_TRUE(platform::spooler::SetPrinterAccess(kPrinter, platform::CurrentUser(), false));
  EXPECT_EQ(fontinstaller::AddMacroRecord(kPrinter, "3002", "0,B,C:\\b.mac", 2), 0);
  EXPECT_EQ(fontinstaller::RemoveRecord(kPrinter, fontinstaller::kKindMacros, "3001", 2), 0);
  EXPECT_EQ(fontinstaller::ClearPrinterDiskList(kPrinter, fontinstaller::kKindMacros), 0);
  EXPECT_EQ(fontinstaller::WriteChangeCounter(kPrinter, fontinstaller::kKindMacros, 5), 0);
  // What is on the PC is the user's own.
  EXPECT_EQ(fontinstaller::AddMacroRecord(kPrinter, "7", "0,C,C:\\c.mac", 1), 1);
  ASSERT_EQ(fontinstaller::ReadMacroList(kPrinter).size(), 2u);
  EXPECT_EQ(PrinterString("MacroDisk", "List", kStorePrinterMacros), "3001;");
}

TEST_F(InstalledStoreTest, AnUnknownPrinterChangesNothing) {
  EXPECT_EQ(fontinstaller::AddMacroRecord("No Such Printer", "1", "0,A,C:\\a", 1), 0);
  EXPECT_EQ(fontinstaller::ReadChangeCounter("No Such Printer", fontinstaller::kKindFonts), -1);
  EXPECT_TRUE(fontinstaller::ReadFontList("No Such Printer").empty());
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindFonts), -1) << "never written";
}

}  // namespace
}  // namespace installertest
