// DrvConvertDevMode as the spooler calls it, through the export of the built
// zeluid5.dll: its modes, the sizes of the input and output device modes and of
// the output buffer, the versions of the input, and the answers and errors of
// each case.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "interface/devmode/convert_devmode.h"
#include "interface/devmode/validate_merge.h"
#include "interface/util/driver_version.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/driver_ui.h"
#include "tests/interface/devmode_fixture.h"

namespace devmodetest {
namespace {

enum class In {
  kNone,
  kOurs,                // this driver's layout and revision
  kOlderVersions,       // ... with an older spec, driver and private version
  kOtherRevision,       // this driver's sizes, another revision stamp
  kShortPublic,         // 156 public bytes and 8 private ones, allocated exactly
  kShortPublicStamped,  // 156 public bytes followed by a private part with this revision's stamp
  kZeroSize,            // dmSize 0
  kSameBlock,           // the output block itself
  kSameBlockOtherRevision,
};

enum class Out {
  kNone,
  kOurs,         // this driver's layout
  kZeroed,       // a fresh buffer
  kClaimsMore,   // this driver's public part with a private part of 2600 bytes
  kOtherDriver,  // a 220-byte public part with 100 private bytes
};

enum class Expect {
  kUntouched,     // the output is as it was
  kInTaken,       // the input's public and private parts, with this driver's versions
  kInPublicOnly,  // the input's public part, the output's own private part
  kShortPublic,   // the input's 156 bytes over the output's public part
  kDefault,       // the printer's default device mode
  kMerged,        // the default with the input merged into it
  kZeroed,        // 2716 zero bytes
  kAnything,      // not looked at
};

constexpr LONG kWhole = 2716;
constexpr SHORT kInScale = 50;
constexpr SHORT kOutScale = 70;

struct Case {
  const char* what;
  DWORD mode;
  In in;
  Out out;
  LONG size;
  bool knownPrinter;
  BOOL result;
  DWORD error;  // when the result is FALSE
  Expect expect;
};

const Case kCases[] = {
    // Modes other than the three known.
    {"mode 0", 0, In::kOurs, Out::kOurs, kWhole, true, FALSE, ERROR_INVALID_PARAMETER, Expect::kUntouched},
    {"mode 3", 3, In::kOurs, Out::kOurs, kWhole, true, FALSE, ERROR_INVALID_PARAMETER, Expect::kUntouched},
    {"mode 5", 5, In::kOurs, Out::kOurs, kWhole, true, FALSE, ERROR_INVALID_PARAMETER, Expect::kUntouched},
    {"mode 8", 8, In::kOurs, Out::kOurs, kWhole, true, FALSE, ERROR_INVALID_PARAMETER, Expect::kUntouched},
    // Conversion: arguments and buffer sizes.
    {"no output", CDM_CONVERT, In::kOurs, Out::kNone, kWhole, true, FALSE, ERROR_INSUFFICIENT_BUFFER,
     Expect::kUntouched},
    {"no input", CDM_CONVERT, In::kNone, Out::kOurs, kWhole, true, FALSE, ERROR_INVALID_PARAMETER, Expect::kUntouched},
    {"buffer 0", CDM_CONVERT, In::kOurs, Out::kOurs, 0, true, FALSE, ERROR_INSUFFICIENT_BUFFER, Expect::kUntouched},
    {"buffer 219", CDM_CONVERT, In::kOurs, Out::kOurs, 219, true, FALSE, ERROR_INSUFFICIENT_BUFFER, Expect::kUntouched},
    {"buffer 220", CDM_CONVERT, In::kOurs, Out::kOurs, 220, true, FALSE, ERROR_INSUFFICIENT_BUFFER, Expect::kUntouched},
    {"buffer 2715", CDM_CONVERT, In::kOurs, Out::kOurs, 2715, true, FALSE, ERROR_INSUFFICIENT_BUFFER,
     Expect::kUntouched},
    {"output claims more than the buffer", CDM_CONVERT, In::kOurs, Out::kClaimsMore, kWhole, true, FALSE,
     ERROR_INSUFFICIENT_BUFFER, Expect::kUntouched},
    // Conversion between blocks of this driver's layout.
    {"same revision", CDM_CONVERT, In::kOurs, Out::kOurs, kWhole, true, TRUE, 0, Expect::kInTaken},
    {"same revision, 3.51 mode", CDM_CONVERT351, In::kOurs, Out::kOurs, kWhole, true, TRUE, 0, Expect::kInTaken},
    {"same revision, larger buffer", CDM_CONVERT, In::kOurs, Out::kOurs, 8192, true, TRUE, 0, Expect::kInTaken},
    {"older versions", CDM_CONVERT, In::kOlderVersions, Out::kOurs, kWhole, true, TRUE, 0, Expect::kInTaken},
    {"other revision", CDM_CONVERT, In::kOtherRevision, Out::kOurs, kWhole, true, TRUE, 0, Expect::kInPublicOnly},
    {"156-byte public part", CDM_CONVERT, In::kShortPublic, Out::kOurs, kWhole, true, TRUE, 0, Expect::kShortPublic},
    {"156-byte public part before a stamped private part", CDM_CONVERT, In::kShortPublicStamped, Out::kOurs, kWhole,
     true, TRUE, 0, Expect::kShortPublic},
    {"in place", CDM_CONVERT, In::kSameBlock, Out::kOurs, kWhole, true, TRUE, 0, Expect::kInTaken},
    {"unknown printer", CDM_CONVERT, In::kOurs, Out::kOurs, kWhole, false, FALSE, ERROR_INVALID_PARAMETER,
     Expect::kAnything},
    // Conversion into the default: the output is not of this driver's layout, or
    // the input has no public part.
    {"input of size 0", CDM_CONVERT, In::kZeroSize, Out::kOurs, kWhole, true, TRUE, 0, Expect::kDefault},
    {"fresh output", CDM_CONVERT, In::kOurs, Out::kZeroed, kWhole, true, TRUE, 0, Expect::kMerged},
    {"output of another driver", CDM_CONVERT, In::kOurs, Out::kOtherDriver, kWhole, true, TRUE, 0, Expect::kMerged},
    {"in place, other revision", CDM_CONVERT, In::kSameBlockOtherRevision, Out::kOurs, kWhole, true, TRUE, 0,
     Expect::kMerged},
    {"unknown printer, fresh output", CDM_CONVERT, In::kOurs, Out::kZeroed, kWhole, false, FALSE,
     ERROR_INVALID_PARAMETER, Expect::kUntouched},
    // The driver's default.
    {"default, no output", CDM_DRIVER_DEFAULT, In::kNone, Out::kNone, kWhole, true, FALSE, ERROR_INSUFFICIENT_BUFFER,
     Expect::kUntouched},
    {"default, buffer 2715", CDM_DRIVER_DEFAULT, In::kNone, Out::kOurs, 2715, true, FALSE, ERROR_INSUFFICIENT_BUFFER,
     Expect::kUntouched},
    {"default", CDM_DRIVER_DEFAULT, In::kOurs, Out::kOtherDriver, kWhole, true, TRUE, 0, Expect::kDefault},
    {"default, larger buffer", CDM_DRIVER_DEFAULT, In::kNone, Out::kZeroed, 8192, true, TRUE, 0, Expect::kDefault},
    {"default, unknown printer", CDM_DRIVER_DEFAULT, In::kNone, Out::kOurs, kWhole, false, FALSE, ERROR_INVALID_DATA,
     Expect::kZeroed},
};

class ConvertTest : public DevmodeTest {
 protected:
  void SetUp() override {
    DevmodeTest::SetUp();
    name_ = UniqueName("Colour");
    printer_ = Install(kColourModel, name_, kPdlPs3, 1, 1);
    ASSERT_NE(printer_, 0u);
    module_ = LoadLibraryA(uitest::AnsiWindowsPath(uitest::BuiltModule("zeluid5.dll")).c_str());
    ASSERT_NE(module_, 0u);
    convert_ = reinterpret_cast<PFN_DrvConvertDevMode>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvConvertDevMode")));
    ASSERT_NE(convert_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    DevmodeTest::TearDown();
  }

  XDEVMODE InputBlock() {
    XDEVMODE dm = Default(printer_, name_);
    dm.dmPublic.dmFields = DM_SCALE | DM_COPIES;
    dm.dmPublic.dmScale = kInScale;
    dm.dmPublic.dmCopies = 3;
    std::strcpy(dm.dmPrivate._sAccount, "in");
    return dm;
  }
  XDEVMODE OutputBlock() {
    XDEVMODE dm = Default(printer_, name_);
    dm.dmPublic.dmScale = kOutScale;
    std::strcpy(dm.dmPrivate._sAccount, "out");
    return dm;
  }

  std::string name_;
  HANDLE printer_ = 0;
  HMODULE module_ = 0;
  PFN_DrvConvertDevMode convert_ = nullptr;
};

TEST_F(ConvertTest, EachModeSizeAndVersionGetsItsAnswer) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    // The output buffer, never smaller than the driver writes, whatever size is claimed.
    std::vector<BYTE> outBuffer(static_cast<size_t>(std::max<LONG>(c.size, kWhole)) + 64, 0);
    auto* outDm = reinterpret_cast<XDEVMODE*>(outBuffer.data());
    switch (c.out) {
      case Out::kNone:
      case Out::kZeroed: break;
      case Out::kOurs: *outDm = OutputBlock(); break;
      case Out::kClaimsMore:
        *outDm = OutputBlock();
        outDm->dmPublic.dmDriverExtra = 2600;
        break;
      case Out::kOtherDriver:
        std::memset(outDm, 0x5A, kWhole);
        outDm->dmPublic.dmSize = 220;
        outDm->dmPublic.dmDriverExtra = 100;
        break;
    }

    XDEVMODE input = InputBlock();
    std::vector<BYTE> shortInput;
    const DEVMODEW* in = &input.dmPublic;
    switch (c.in) {
      case In::kNone: in = nullptr; break;
      case In::kOurs: break;
      case In::kOlderVersions:
        input.dmPublic.dmSpecVersion = 0x0400;
        input.dmPublic.dmDriverVersion = 0x0100;
        input.dmPrivate.privateVersion = 3;
        break;
      case In::kOtherRevision: input.dmPrivate.revisionStamp = 11111; break;
      case In::kShortPublic: {
        shortInput.assign(156 + 8, 0x33);
        auto* shortDm = reinterpret_cast<DEVMODEW*>(shortInput.data());
        shortDm->dmSize = 156;
        shortDm->dmDriverExtra = 8;
        in = shortDm;
        break;
      }
      case In::kShortPublicStamped: {
        // Its bytes after the public part look like this driver's private part,
        // but a 156-byte public part is not this driver's layout.
        shortInput.assign(156 + 2496, 0x33);
        std::memcpy(shortInput.data() + 156, &input.dmPrivate, sizeof input.dmPrivate);
        auto* shortDm = reinterpret_cast<DEVMODEW*>(shortInput.data());
        shortDm->dmSize = 156;
        shortDm->dmDriverExtra = 2496;
        in = shortDm;
        break;
      }
      case In::kZeroSize: input.dmPublic.dmSize = 0; break;
      case In::kSameBlock:
        *outDm = InputBlock();
        in = &outDm->dmPublic;
        input = *outDm;
        break;
      case In::kSameBlockOtherRevision:
        *outDm = InputBlock();
        outDm->dmPrivate.revisionStamp = 11111;
        in = &outDm->dmPublic;
        input = *outDm;
        break;
    }
    const std::vector<BYTE> before = outBuffer;

    std::u16string printerName = platform::ToUtf16(c.knownPrinter ? name_ : "Nobody");
    LONG size = c.size;
    SetLastError(0);
    const BOOL result = convert_(printerName.data(), const_cast<DEVMODEW*>(in),
                                 c.out == Out::kNone ? nullptr : &outDm->dmPublic, &size, c.mode);
    const DWORD error = GetLastError();
    EXPECT_EQ(result, c.result);
    if (!c.result) {
      EXPECT_EQ(error, c.error);
    }
    EXPECT_EQ(size, kWhole) << "every answer reports the driver's size";

    const XDEVMODE& out = *outDm;
    switch (c.expect) {
      case Expect::kUntouched: EXPECT_EQ(outBuffer, before); break;
      case Expect::kInTaken: {
        EXPECT_EQ(out.dmPublic.dmScale, kInScale);
        EXPECT_EQ(out.dmPublic.dmCopies, 3);
        EXPECT_STREQ(out.dmPrivate._sAccount, "in");
        EXPECT_EQ(out.dmPublic.dmSpecVersion, 0x0401);
        EXPECT_EQ(out.dmPublic.dmDriverVersion, GetDriverVersionWord());
        EXPECT_EQ(out.dmPrivate.privateVersion, 4u);
        // Everything else as the input had it.
        XDEVMODE expected = input;
        expected.dmPublic.dmSpecVersion = 0x0401;
        expected.dmPublic.dmDriverVersion = GetDriverVersionWord();
        expected.dmPrivate.privateVersion = 4;
        EXPECT_TRUE(SameBytes(&out, &expected, sizeof out));
        break;
      }
      case Expect::kInPublicOnly: {
        EXPECT_EQ(out.dmPublic.dmScale, kInScale);
        const XDEVMODE own = OutputBlock();
        EXPECT_TRUE(SameBytes(&out.dmPrivate, &own.dmPrivate, sizeof out.dmPrivate));
        break;
      }
      case Expect::kShortPublic: {
        const XDEVMODE own = OutputBlock();
        // dmSpecVersion to dmDriverExtra are the output's own (and 0x0401); the
        // rest of the 156 bytes the input's.
        EXPECT_EQ(out.dmPublic.dmSize, 220);
        EXPECT_EQ(out.dmPublic.dmDriverExtra, 2496);
        EXPECT_EQ(out.dmPublic.dmSpecVersion, 0x0401);
        EXPECT_EQ(out.dmPublic.dmDriverVersion, GetDriverVersionWord());
        EXPECT_TRUE(SameBytes(&out.dmPublic.dmFields, shortInput.data() + offsetof(DEVMODEW, dmFields),
                              156 - offsetof(DEVMODEW, dmFields)));
        EXPECT_TRUE(
            SameBytes(reinterpret_cast<const BYTE*>(&out) + 156, reinterpret_cast<const BYTE*>(&own) + 156, 220 - 156));
        EXPECT_TRUE(SameBytes(&out.dmPrivate, &own.dmPrivate, sizeof out.dmPrivate)) << "no stamp to compare";
        break;
      }
      case Expect::kDefault: {
        const XDEVMODE expected = Default(printer_, name_);
        EXPECT_TRUE(SameBytes(&out, &expected, sizeof out));
        break;
      }
      case Expect::kMerged: {
        XDEVMODE expected = Default(printer_, name_);
        ASSERT_EQ(ValidateMergeDevmode(printer_, &expected, &input.dmPublic, Record(printer_, name_)), 1);
        EXPECT_EQ(out.dmPublic.dmScale, kInScale);
        EXPECT_TRUE(SameBytes(&out, &expected, sizeof out));
        break;
      }
      case Expect::kZeroed: {
        const std::vector<BYTE> zero(kWhole, 0);
        EXPECT_TRUE(SameBytes(outBuffer.data(), zero.data(), kWhole));
        break;
      }
      case Expect::kAnything: break;
    }
  }
}

TEST_F(ConvertTest, NoSizeArgumentIsABadArgument) {
  XDEVMODE in = InputBlock();
  XDEVMODE out = OutputBlock();
  std::u16string printerName = platform::ToUtf16(name_);
  SetLastError(0);
  EXPECT_FALSE(convert_(printerName.data(), &in.dmPublic, &out.dmPublic, nullptr, CDM_CONVERT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ConvertTest, APrinterWithoutAConfigurationCounterCannotConvertIntoADefault) {
  ASSERT_EQ(LibrarySettings().DeleteData(printer_, kStorePrinterData, "Printer", "Cfg"), ERROR_SUCCESS);
  XDEVMODE in = InputBlock();
  std::vector<BYTE> fresh(kWhole, 0);
  std::u16string printerName = platform::ToUtf16(name_);
  LONG size = kWhole;
  EXPECT_FALSE(
      convert_(printerName.data(), &in.dmPublic, reinterpret_cast<DEVMODEW*>(fresh.data()), &size, CDM_CONVERT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(size, kWhole);
}

TEST_F(ConvertTest, ADefaultWithoutAModelRecordIsAFailureNotAnEmptyDeviceMode) {
  // In the library's own code, with its model-record cache gone.
  ModelCacheStop();
  std::vector<BYTE> out(kWhole, 0x77);
  std::u16string printerName = platform::ToUtf16(name_);
  LONG size = kWhole;
  SetLastError(0);
  EXPECT_FALSE(
      ConvertDevMode(printerName.data(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &size, CDM_DRIVER_DEFAULT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(size, kWhole);
}

}  // namespace
}  // namespace devmodetest
