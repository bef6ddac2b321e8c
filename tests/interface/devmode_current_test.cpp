// The device mode a document starts from: the user's own stored one, else the
// printer's, else the driver's default, whichever first is this driver's for the
// printer's language, made safe when it comes from the store.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/pdl_kind.h"
#include "interface/devmode/calling_application.h"
#include "interface/devmode/current_devmode.h"
#include "interface/devmode/printer_port.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "tests/interface/devmode_fixture.h"

namespace devmodetest {
namespace {

class CurrentDevmodeTest : public DevmodeTest {
 protected:
  void SetUp() override {
    DevmodeTest::SetUp();
    name_ = UniqueName("Mono");
    printer_ = Install(kMonoModel, name_, kPdlPcl5si, 0);
    ASSERT_NE(printer_, 0u);
    // Whatever the printer's set-up stored is not part of these cases.
    Store(8, nullptr);
    Store(9, nullptr);
  }

  void Store(DWORD level, const XDEVMODE* dm) {
    PRINTER_INFO_8W info{dm ? const_cast<DEVMODEW*>(&dm->dmPublic) : nullptr};
    ASSERT_TRUE(SetPrinterW(printer_, level, reinterpret_cast<BYTE*>(&info), 0)) << "level " << level;
  }

  // A stored device mode of the driver's, told apart by its scale.
  XDEVMODE Stored(SHORT scale, WORD pdl = kPdlPcl5si) {
    XDEVMODE dm = Default(printer_, name_);
    dm.dmPublic.dmScale = scale;
    dm.dmPrivate._nPDL = pdl;
    return dm;
  }

  XDEVMODE Current(HANDLE printer = 0) {
    XDEVMODE dm{};
    EXPECT_EQ(GetCurrentDevmode(printer ? printer : printer_, name_.c_str(), &dm), 1);
    return dm;
  }

  std::string name_;
  HANDLE printer_ = 0;
};

TEST_F(CurrentDevmodeTest, TheUsersOwnComesFirstThenThePrintersThenTheDefault) {
  struct Case {
    const char* what;
    bool level9;
    SHORT scale9;
    WORD pdl9;
    WORD extra9;
    bool level8;
    SHORT scale8;
    WORD pdl8;
    SHORT expected;  // 100: the default
  };
  const Case cases[] = {
      {"nothing stored", false, 0, 0, 0, false, 0, 0, 100},
      {"the printer's", false, 0, 0, 0, true, 77, kPdlPcl5si, 77},
      {"the user's over the printer's", true, 88, kPdlPcl5si, 2496, true, 77, kPdlPcl5si, 88},
      {"the user's alone", true, 88, kPdlPcl5si, 2496, false, 0, 0, 88},
      {"the user's for another language", true, 88, kPdlPclXl, 2496, true, 77, kPdlPcl5si, 77},
      {"the user's of another driver", true, 88, kPdlPcl5si, 0, true, 77, kPdlPcl5si, 77},
      {"only another language's", false, 0, 0, 0, true, 77, kPdlPs3, 100},
  };
  for (const Case& c : cases) {
    XDEVMODE user = Stored(c.scale9, c.pdl9);
    user.dmPublic.dmDriverExtra = c.extra9;
    const XDEVMODE printerWide = Stored(c.scale8, c.pdl8);
    Store(9, c.level9 ? &user : nullptr);
    Store(8, c.level8 ? &printerWide : nullptr);
    EXPECT_EQ(Current().dmPublic.dmScale, c.expected) << c.what;
  }
}

TEST_F(CurrentDevmodeTest, TheDefaultCarriesThePrinterTheApplicationAndThePort) {
  XDEVMODE expected = Default(printer_, name_);
  StampCallingApplication(&expected);
  GetPrinterPortName(printer_, &expected);
  const XDEVMODE current = Current();
  EXPECT_TRUE(SameBytes(&current, &expected, sizeof current));
  char program[MAX_PATH] = {};
  GetModuleFileNameA(0, program, MAX_PATH);
  EXPECT_STREQ(current.dmPrivate.applicationPath, program);
  EXPECT_STREQ(current.dmPrivate._sPortName, "FILE:");
}

TEST_F(CurrentDevmodeTest, AnotherUserDoesNotSeeTheFirstUsersOwn) {
  const XDEVMODE user = Stored(88);
  const XDEVMODE printerWide = Stored(77);
  Store(9, &user);
  Store(8, &printerWide);
  EXPECT_EQ(Current().dmPublic.dmScale, 88);

  platform::SetCurrentUser("Second");
  HANDLE second = 0;
  std::string name = name_;
  ASSERT_TRUE(OpenPrinterA(name.data(), &second, nullptr));
  EXPECT_EQ(Current(second).dmPublic.dmScale, 77);
  ClosePrinter(second);
}

TEST_F(CurrentDevmodeTest, AStoredDeviceModeIsMadeSafeAndStampedForThisCall) {
  XDEVMODE stored = Stored(88);
  std::memset(stored.dmPrivate._sAccount, 'A', sizeof stored.dmPrivate._sAccount);
  std::memset(stored.dmPrivate.documentName, 'D', sizeof stored.dmPrivate.documentName);
  for (WCHAR& c : stored.dmPublic.dmFormName) c = u'F';
  stored.dmPrivate._nOutputTray = 256 + 9;  // the mono model has bins 1 and 2
  stored.dmPrivate._nCustomPaperIndex = 3;  // A4, not a user-defined size
  stored.dmPrivate.pageTicketRanges[7] = {2, 1, 0, 0, 0};
  std::strcpy(stored.dmPrivate.applicationPath, "C:\\elsewhere.exe");
  std::memset(stored.dmPrivate._wsPrinterName, 0, sizeof stored.dmPrivate._wsPrinterName);
  Store(9, &stored);

  const XDEVMODE current = Current();
  EXPECT_EQ(current.dmPublic.dmScale, 88);
  EXPECT_EQ(std::strlen(current.dmPrivate._sAccount), 31u);
  EXPECT_EQ(std::strlen(current.dmPrivate.documentName), 127u);
  EXPECT_EQ(std::u16string(current.dmPublic.dmFormName), std::u16string(31, u'F'));
  EXPECT_EQ(current.dmPrivate._nOutputTray, 0);
  EXPECT_EQ(current.dmPrivate._nCustomPaperIndex, 10) << "the model's user-defined paper";
  EXPECT_EQ(current.dmPrivate.pageTicketRanges[7].firstPage, 0);
  EXPECT_EQ(current.dmPrivate.pageTicketRanges[7].lastPage, 0);
  EXPECT_EQ(std::u16string(current.dmPrivate._wsPrinterName), platform::ToUtf16(name_));
  char program[MAX_PATH] = {};
  GetModuleFileNameA(0, program, MAX_PATH);
  EXPECT_STREQ(current.dmPrivate.applicationPath, program);
}

TEST_F(CurrentDevmodeTest, MissingArgumentsAnswerZero) {
  XDEVMODE dm{};
  EXPECT_EQ(GetCurrentDevmode(printer_, nullptr, &dm), 0);
  EXPECT_EQ(GetCurrentDevmode(printer_, name_.c_str(), nullptr), 0);
}

}  // namespace
}  // namespace devmodetest
