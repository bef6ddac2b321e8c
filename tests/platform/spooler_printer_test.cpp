// Printers: the info levels and their two-call sizing, device modes per user,
// opening by name and access, changing and deleting printers.
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/base/machine.h"
#include "tests/platform/spooler_test_helpers.h"

namespace {

using namespace spltest;

std::string Repeat(const std::string& text, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

template <class Char>
std::u16string Read(const Char* text) {
  if (!text) return u"<null>";
  if constexpr (std::is_same_v<Char, CHAR>) {
    return platform::ToUtf16(text);
  } else {
    return std::u16string(text);
  }
}

template <class Char>
struct Info;
template <>
struct Info<CHAR> {
  using L1 = PRINTER_INFO_1A;
  using L2 = PRINTER_INFO_2A;
  using L4 = PRINTER_INFO_4A;
  using L5 = PRINTER_INFO_5A;
  using L7 = PRINTER_INFO_7A;
  using L8 = PRINTER_INFO_8A;
  using L9 = PRINTER_INFO_9A;
  using DevMode = DEVMODEA;
};
template <>
struct Info<WCHAR> {
  using L1 = PRINTER_INFO_1W;
  using L2 = PRINTER_INFO_2W;
  using L4 = PRINTER_INFO_4W;
  using L5 = PRINTER_INFO_5W;
  using L7 = PRINTER_INFO_7W;
  using L8 = PRINTER_INFO_8W;
  using L9 = PRINTER_INFO_9W;
  using DevMode = DEVMODEW;
};

template <class Char>
BOOL GetPrinterT(HANDLE printer, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
  if constexpr (std::is_same_v<Char, CHAR>) {
    return GetPrinterA(printer, level, buffer, size, needed);
  } else {
    return GetPrinterW(printer, level, buffer, size, needed);
  }
}

// A device mode in the buffer: its whole record lies inside, it has the public
// size of its width, and its private part carries the mark it was stored with.
template <class Char>
void ExpectDevMode(const typename Info<Char>::DevMode* devMode, const Bytes& buffer, SHORT orientation,
                   BYTE privateMark) {
  ASSERT_NE(devMode, nullptr);
  ASSERT_TRUE(InsideBuffer(devMode, buffer));
  EXPECT_EQ(devMode->dmSize, sizeof(typename Info<Char>::DevMode));
  ASSERT_EQ(devMode->dmDriverExtra, 24);
  const BYTE* end = reinterpret_cast<const BYTE*>(devMode) + devMode->dmSize + devMode->dmDriverExtra;
  ASSERT_LE(end, buffer.data() + buffer.size());
  EXPECT_EQ(devMode->dmOrientation, orientation);
  EXPECT_EQ(devMode->dmCopies, 3);
  EXPECT_EQ(Read(reinterpret_cast<const Char*>(devMode->dmDeviceName)), u"Office");
  EXPECT_EQ(Read(reinterpret_cast<const Char*>(devMode->dmFormName)), u"A4");
  const BYTE* privatePart = reinterpret_cast<const BYTE*>(devMode) + devMode->dmSize;
  for (int i = 0; i < 24; ++i) EXPECT_EQ(privatePart[i], BYTE(privateMark + i));
}

class PrinterInfoTest : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    office_ = Printer(AddPrinterNamed("Office", PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_QUEUED, "office"));
    ASSERT_NE(office_.get(), 0u) << GetLastError();
    Bytes global = MakeDevModeW(u"Office", DMORIENT_PORTRAIT, 0x10);
    PRINTER_INFO_8W level8{reinterpret_cast<DEVMODEW*>(global.data())};
    ASSERT_TRUE(SetPrinterW(office_, 8, reinterpret_cast<LPBYTE>(&level8), 0));
    Bytes own = MakeDevModeW(u"Office", DMORIENT_LANDSCAPE, 0x40);
    PRINTER_INFO_9W level9{reinterpret_cast<DEVMODEW*>(own.data())};
    ASSERT_TRUE(SetPrinterW(office_, 9, reinterpret_cast<LPBYTE>(&level9), 0));
  }

  template <class Char>
  void CheckLevel(DWORD level) {
    using I = Info<Char>;
    Bytes buffer = FetchExact(
        [&](BYTE* data, DWORD size, DWORD* needed) { return GetPrinterT<Char>(office_, level, data, size, needed); });
    ASSERT_FALSE(buffer.empty());
    const std::u16string comment = u"事務所のプリンタ";
    switch (level) {
      case 1: {
        auto& info = *reinterpret_cast<const typename I::L1*>(buffer.data());
        EXPECT_EQ(info.Flags, DWORD(PRINTER_ENUM_ICON8));
        EXPECT_EQ(Read(info.pName), u"Office");
        EXPECT_EQ(Read(info.pDescription), u"Office,Zel Test Driver,2F");
        EXPECT_EQ(Read(info.pComment), comment);
        EXPECT_TRUE(InsideBuffer(info.pDescription, buffer) && InsideBuffer(info.pComment, buffer));
        break;
      }
      case 2: {
        auto& info = *reinterpret_cast<const typename I::L2*>(buffer.data());
        EXPECT_EQ(info.pServerName, nullptr);
        EXPECT_EQ(Read(info.pPrinterName), u"Office");
        EXPECT_EQ(Read(info.pShareName), u"office");
        EXPECT_EQ(Read(info.pPortName), u"LPT1:");
        EXPECT_EQ(Read(info.pDriverName), u"Zel Test Driver");
        EXPECT_EQ(Read(info.pComment), comment);
        EXPECT_EQ(Read(info.pLocation), u"2F");
        EXPECT_EQ(Read(info.pPrintProcessor), u"winprint");
        EXPECT_EQ(Read(info.pDatatype), u"RAW");
        EXPECT_TRUE(InsideBuffer(info.pParameters, buffer));
        EXPECT_EQ(info.Attributes,
                  DWORD(PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_QUEUED));
        // The user's own device mode wins over the global one here.
        ExpectDevMode<Char>(info.pDevMode, buffer, DMORIENT_LANDSCAPE, 0x40);
        break;
      }
      case 4: {
        auto& info = *reinterpret_cast<const typename I::L4*>(buffer.data());
        EXPECT_EQ(Read(info.pPrinterName), u"Office");
        EXPECT_EQ(info.pServerName, nullptr);
        EXPECT_EQ(info.Attributes,
                  DWORD(PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_SHARED | PRINTER_ATTRIBUTE_QUEUED));
        break;
      }
      case 5: {
        auto& info = *reinterpret_cast<const typename I::L5*>(buffer.data());
        EXPECT_EQ(Read(info.pPrinterName), u"Office");
        EXPECT_EQ(Read(info.pPortName), u"LPT1:");
        EXPECT_EQ(info.DeviceNotSelectedTimeout, 15000u);
        EXPECT_EQ(info.TransmissionRetryTimeout, 45000u);
        break;
      }
      case 7: {
        auto& info = *reinterpret_cast<const typename I::L7*>(buffer.data());
        EXPECT_EQ(buffer.size(), sizeof(typename I::L7));
        EXPECT_EQ(info.pszObjectGUID, nullptr);
        EXPECT_EQ(info.dwAction, DWORD(DSPRINT_UNPUBLISH));
        break;
      }
      case 8:
        ExpectDevMode<Char>(reinterpret_cast<const typename I::L8*>(buffer.data())->pDevMode, buffer, DMORIENT_PORTRAIT,
                            0x10);
        break;
      case 9:
        ExpectDevMode<Char>(reinterpret_cast<const typename I::L9*>(buffer.data())->pDevMode, buffer,
                            DMORIENT_LANDSCAPE, 0x40);
        break;
    }
  }

  Printer office_;
};

TEST_F(PrinterInfoTest, EveryLevelSizesExactlyAndPacksInsideTheBuffer) {
  for (DWORD level : {1u, 2u, 4u, 5u, 7u, 8u, 9u}) {
    SCOPED_TRACE("level " + std::to_string(level));
    {
      SCOPED_TRACE("wide");
      CheckLevel<WCHAR>(level);
    }
    {
      SCOPED_TRACE("ANSI");
      CheckLevel<CHAR>(level);
    }
  }
}

TEST_F(PrinterInfoTest, LevelsTheStoresDoNotAnswerAreRefused) {
  for (DWORD level : {0u, 3u, 6u, 10u}) {
    DWORD needed = 0;
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(GetPrinterW(office_, level, nullptr, 0, &needed)) << level;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL)) << level;
  }
}

TEST_F(PrinterInfoTest, UserDeviceModesBelongToTheirUser) {
  // A second user sees the global default and no device mode of their own.
  platform::SetCurrentUser("Second");
  {
    Printer printer(OpenA("Office"));
    Bytes level9 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(printer, 9, b, s, n); });
    EXPECT_EQ(reinterpret_cast<PRINTER_INFO_9W*>(level9.data())->pDevMode, nullptr);
    Bytes level2 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(printer, 2, b, s, n); });
    ExpectDevMode<WCHAR>(reinterpret_cast<PRINTER_INFO_2W*>(level2.data())->pDevMode, level2, DMORIENT_PORTRAIT, 0x10);

    // Their own, stored through the ANSI form, comes back wide with its private part.
    Bytes wide = MakeDevModeW(u"Office", DMORIENT_LANDSCAPE, 0x70);
    std::vector<BYTE> ansi = platform::DevModeAFromW(reinterpret_cast<DEVMODEW*>(wide.data()));
    ASSERT_EQ(ansi.size(), sizeof(DEVMODEA) + 24);
    PRINTER_INFO_9A set9{reinterpret_cast<DEVMODEA*>(ansi.data())};
    ASSERT_TRUE(SetPrinterA(printer, 9, reinterpret_cast<LPBYTE>(&set9), 0));
    level9 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(printer, 9, b, s, n); });
    ExpectDevMode<WCHAR>(reinterpret_cast<PRINTER_INFO_9W*>(level9.data())->pDevMode, level9, DMORIENT_LANDSCAPE, 0x70);
  }

  platform::SetCurrentUser("User");
  Printer printer(OpenA("Office"));
  Bytes level9 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(printer, 9, b, s, n); });
  ExpectDevMode<WCHAR>(reinterpret_cast<PRINTER_INFO_9W*>(level9.data())->pDevMode, level9, DMORIENT_LANDSCAPE, 0x40);

  // Setting no device mode removes the user's own; the global one stays.
  PRINTER_INFO_9W none{nullptr};
  ASSERT_TRUE(SetPrinterW(printer, 9, reinterpret_cast<LPBYTE>(&none), 0));
  level9 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(printer, 9, b, s, n); });
  EXPECT_EQ(reinterpret_cast<PRINTER_INFO_9W*>(level9.data())->pDevMode, nullptr);
  Bytes level8 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterA(printer, 8, b, s, n); });
  ExpectDevMode<CHAR>(reinterpret_cast<PRINTER_INFO_8A*>(level8.data())->pDevMode, level8, DMORIENT_PORTRAIT, 0x10);
}

TEST_F(PrinterInfoTest, DeviceModesShorterThanTheirFieldsAreRefused) {
  Bytes devMode = MakeDevModeW(u"Office", DMORIENT_PORTRAIT, 0);
  reinterpret_cast<DEVMODEW*>(devMode.data())->dmSize = 40;
  PRINTER_INFO_8W level8{reinterpret_cast<DEVMODEW*>(devMode.data())};
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(SetPrinterW(office_, 8, reinterpret_cast<LPBYTE>(&level8), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(SpoolerTest, OpenPrinterFindsNamesWithoutRegardToCase) {
  Printer office(AddPrinterNamed("Office", PRINTER_ATTRIBUTE_SHARED, "frontdesk"));
  Printer japanese(AddPrinterNamed(Ansi("経理のプリンタ")));
  ASSERT_TRUE(office.get() && japanese.get());
  const std::string host = platform::spooler::ServerName();  // "\\HOST"

  struct Case {
    std::string name;  // ANSI
    bool opens;
    std::u16string shownName;
  };
  const Case cases[] = {
      {"Office", true, u"Office"},
      {"oFFICE", true, u"Office"},
      {Ansi("経理のプリンタ"), true, u"経理のプリンタ"},
      {"Nobody", false, u""},
      {"", false, u""},
      {"Office ", false, u""},
      {host + "\\office", true, platform::Utf16FromUtf8(host) + u"\\Office"},
      {"\\\\localhost\\FrontDesk", true, u"\\\\localhost\\Office"},
      {"\\\\elsewhere\\Office", false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf8FromAnsi(c.name));
    std::string name = c.name;
    HANDLE handle = 0xDEAD;
    SetLastError(ERROR_SUCCESS);
    BOOL opened = OpenPrinterA(name.data(), &handle, nullptr);
    ASSERT_EQ(opened != FALSE, c.opens);
    if (!c.opens) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
      EXPECT_EQ(handle, 0u);
      continue;
    }
    Printer printer(handle);
    Bytes level4 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(printer, 4, b, s, n); });
    auto& info = *reinterpret_cast<PRINTER_INFO_4W*>(level4.data());
    EXPECT_EQ(Read(info.pPrinterName), c.shownName);
    // Through a server name the printer shows as a network printer of that server.
    bool remote = c.name.rfind("\\\\", 0) == 0;
    EXPECT_EQ((info.Attributes & PRINTER_ATTRIBUTE_NETWORK) != 0, remote);
    EXPECT_EQ(info.pServerName == nullptr, !remote);
  }

  // The wide form opens the same printers.
  std::u16string wide = u"経理のプリンタ";
  HANDLE handle = 0;
  ASSERT_TRUE(OpenPrinterW(wide.data(), &handle, nullptr));
  ClosePrinter(handle);
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(ClosePrinter(handle));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(SpoolerTest, RestrictedUserMayUseButNotAdminister) {
  Printer office(AddPrinterNamed("Office"));
  ASSERT_TRUE(platform::spooler::SetPrinterAccess("office", "Guest", false));
  EXPECT_FALSE(platform::spooler::SetPrinterAccess("Nobody", "Guest", false));

  platform::SetCurrentUser("Guest");
  struct Case {
    bool withDefaults;
    DWORD access;
    bool opens;
  };
  const Case cases[] = {
      {true, PRINTER_ALL_ACCESS, false},
      {true, PRINTER_ACCESS_ADMINISTER, false},
      {true, PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE, false},
      {true, PRINTER_ACCESS_USE, true},
      {true, 0, true},
      {false, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.access);
    std::string name = "Office";
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, c.access};
    HANDLE handle = 0;
    SetLastError(ERROR_SUCCESS);
    BOOL opened = OpenPrinterA(name.data(), &handle, c.withDefaults ? &defaults : nullptr);
    EXPECT_EQ(opened != FALSE, c.opens);
    if (!c.opens) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    }
    if (opened) ClosePrinter(handle);
  }

  // What a restricted user's plain handle may do: read, and keep a device mode of
  // its own; not change the printer, its data or its global device mode.
  Printer guest(OpenA("Office", PRINTER_ACCESS_USE));
  ASSERT_NE(guest.get(), 0u);
  std::string valueName = "Counter";
  DWORD value = 7;
  EXPECT_EQ(SetPrinterDataA(guest, valueName.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(DeletePrinterDataA(guest, valueName.data()), DWORD(ERROR_ACCESS_DENIED));
  Bytes devMode = MakeDevModeW(u"Office", DMORIENT_PORTRAIT, 1);
  PRINTER_INFO_8W level8{reinterpret_cast<DEVMODEW*>(devMode.data())};
  EXPECT_FALSE(SetPrinterW(guest, 8, reinterpret_cast<LPBYTE>(&level8), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  PRINTER_INFO_9W level9{reinterpret_cast<DEVMODEW*>(devMode.data())};
  EXPECT_TRUE(SetPrinterW(guest, 9, reinterpret_cast<LPBYTE>(&level9), 0));
  EXPECT_FALSE(DeletePrinter(guest));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

  // Other users keep full access.
  platform::SetCurrentUser("User");
  Printer owner(OpenA("Office", PRINTER_ALL_ACCESS));
  ASSERT_NE(owner.get(), 0u);
  EXPECT_EQ(SetPrinterDataA(owner, valueName.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), 4),
            DWORD(ERROR_SUCCESS));
}

TEST_F(SpoolerTest, AddPrinterRefusesWhatItCannotKeep) {
  Printer office(AddPrinterNamed("Office", PRINTER_ATTRIBUTE_SHARED, "shared"));
  ASSERT_NE(office.get(), 0u);
  struct Case {
    const char* what;
    std::string name;
    DWORD attributes;
    std::string share;
    std::string driver;
    DWORD error;
  };
  const Case cases[] = {
      {"same name in other case", "OFFICE", 0, "", kDriver, ERROR_PRINTER_ALREADY_EXISTS},
      {"backslash in the name", "Back\\slash", 0, "", kDriver, ERROR_INVALID_PRINTER_NAME},
      {"comma in the name", "a,b", 0, "", kDriver, ERROR_INVALID_PRINTER_NAME},
      {"empty name", "", 0, "", kDriver, ERROR_INVALID_PRINTER_NAME},
      {"221 characters", std::string(221, 'p'), 0, "", kDriver, ERROR_INVALID_PRINTER_NAME},
      {"130 double-byte characters: 260 ANSI bytes", Repeat(Ansi("経"), 130), 0, "", kDriver,
       ERROR_INVALID_PRINTER_NAME},
      {"unknown driver", "Other", 0, "", "No Such Driver", ERROR_UNKNOWN_PRINTER_DRIVER},
      {"shared without a share name", "Other", PRINTER_ATTRIBUTE_SHARED, "", kDriver, ERROR_INVALID_SHARENAME},
      {"share name taken", "Other", PRINTER_ATTRIBUTE_SHARED, "SHARED", kDriver, ERROR_INVALID_SHARENAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(AddPrinterNamed(c.name, c.attributes, c.share, c.driver), 0u);
    EXPECT_EQ(GetLastError(), c.error);
  }

  PRINTER_INFO_2A info{};
  std::string server = "\\\\elsewhere";
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(AddPrinterA(server.data(), 2, reinterpret_cast<LPBYTE>(&info)), 0u);
  EXPECT_EQ(GetLastError(), DWORD(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(AddPrinterA(nullptr, 1, reinterpret_cast<LPBYTE>(&info)), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));

  // Nothing of the refused printers was kept.
  DWORD count = 0;
  Bytes list = FetchExact(
      [&](BYTE* b, DWORD s, DWORD* n) { return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, b, s, n, &count); });
  EXPECT_EQ(count, 1u);
}

// The longest names a driver can carry in its ANSI MAX_PATH buffer are taken,
// and the driver reads them back whole.
TEST_F(SpoolerTest, AddPrinterTakesTheLongestNamesDriversCarry) {
  for (const std::string& name : {std::string(220, 'p'), Repeat(Ansi("経"), 129) + "p"}) {
    SCOPED_TRACE(name.size());
    Printer printer(AddPrinterNamed(name));
    ASSERT_NE(printer.get(), 0u) << GetLastError();
    Bytes level4 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterA(printer, 4, b, s, n); });
    EXPECT_EQ(std::string(reinterpret_cast<PRINTER_INFO_4A*>(level4.data())->pPrinterName), name);
  }
}

TEST_F(SpoolerTest, SetPrinterLevel2ChangesThePrinter) {
  Printer office(AddPrinterNamed("Office"));
  Printer other(AddPrinterNamed("Other"));
  ASSERT_TRUE(office.get() && other.get());
  Bytes level2 = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(office, 2, b, s, n); });
  auto& info = *reinterpret_cast<PRINTER_INFO_2W*>(level2.data());

  std::u16string comment = u"新しいコメント";
  std::u16string share = u"office";
  info.pComment = comment.data();
  info.pShareName = share.data();
  info.Attributes |= PRINTER_ATTRIBUTE_SHARED;
  ASSERT_TRUE(SetPrinterW(office, 2, level2.data(), 0)) << GetLastError();

  Bytes after = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterA(office, 2, b, s, n); });
  auto& changed = *reinterpret_cast<PRINTER_INFO_2A*>(after.data());
  EXPECT_EQ(Read(changed.pComment), comment);
  EXPECT_EQ(Read(changed.pShareName), u"office");
  EXPECT_EQ(Read(changed.pLocation), u"2F");
  EXPECT_TRUE(changed.Attributes & PRINTER_ATTRIBUTE_SHARED);
  EXPECT_TRUE(changed.Attributes & PRINTER_ATTRIBUTE_LOCAL);

  // Renaming onto another printer, or to an unknown driver, changes nothing.
  std::u16string taken = u"OTHER";
  info.pPrinterName = taken.data();
  EXPECT_FALSE(SetPrinterW(office, 2, level2.data(), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINTER_ALREADY_EXISTS));
  std::u16string renamed = u"Front Office";
  std::u16string driver = u"No Such Driver";
  info.pPrinterName = renamed.data();
  info.pDriverName = driver.data();
  EXPECT_FALSE(SetPrinterW(office, 2, level2.data(), 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));

  // A rename keeps the handle working and the old name stops opening.
  Bytes again = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(office, 2, b, s, n); });
  auto& current = *reinterpret_cast<PRINTER_INFO_2W*>(again.data());
  current.pPrinterName = renamed.data();
  ASSERT_TRUE(SetPrinterW(office, 2, again.data(), 0));
  EXPECT_EQ(OpenA("Office"), 0u);
  Printer reopened(OpenA("front office"));
  EXPECT_NE(reopened.get(), 0u);

  // Level 7 (publishing) is accepted and changes nothing.
  PRINTER_INFO_7W level7{nullptr, DSPRINT_UPDATE};
  EXPECT_TRUE(SetPrinterW(office, 7, reinterpret_cast<LPBYTE>(&level7), 0));
}

TEST_F(SpoolerTest, DeletedPrinterTakesItsDataAndDeviceModesAlong) {
  Printer office(AddPrinterNamed("Office"));
  std::u16string valueName = u"Printer_Cfg";
  DWORD value = 42;
  ASSERT_EQ(SetPrinterDataW(office, valueName.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), 0u);
  Bytes devMode = MakeDevModeW(u"Office", DMORIENT_LANDSCAPE, 9);
  PRINTER_INFO_8W level8{reinterpret_cast<DEVMODEW*>(devMode.data())};
  ASSERT_TRUE(SetPrinterW(office, 8, reinterpret_cast<LPBYTE>(&level8), 0));
  PRINTER_INFO_9W level9{reinterpret_cast<DEVMODEW*>(devMode.data())};
  ASSERT_TRUE(SetPrinterW(office, 9, reinterpret_cast<LPBYTE>(&level9), 0));
  Printer second(OpenA("Office"));

  ASSERT_TRUE(DeletePrinter(office));
  EXPECT_EQ(OpenA("Office"), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  // Handles still open answer that their printer is gone.
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterW(second, 4, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  DWORD type = 0;
  EXPECT_EQ(GetPrinterDataW(second, valueName.data(), &type, nullptr, 0, &needed), DWORD(ERROR_INVALID_HANDLE));

  // A new printer of the same name starts empty.
  Printer again(AddPrinterNamed("Office"));
  ASSERT_NE(again.get(), 0u);
  EXPECT_EQ(GetPrinterDataW(again, valueName.data(), &type, nullptr, 0, &needed), DWORD(ERROR_FILE_NOT_FOUND));
  for (DWORD level : {8u, 9u}) {
    Bytes buffer = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterW(again, level, b, s, n); });
    EXPECT_EQ(reinterpret_cast<PRINTER_INFO_8W*>(buffer.data())->pDevMode, nullptr) << level;
  }
}

}  // namespace
