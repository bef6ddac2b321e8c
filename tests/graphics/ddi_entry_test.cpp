// The library's three exports: enabling against the engine's version and block
// size, the DRVFN table, the driver-information query; in the test's process
// and through the built zelkerd5.dll.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "graphics/ddi/driver_library.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"

namespace {

// The documented DDI index of every row, in the library's order.
const std::vector<ULONG> kTableOrder = {0,  1,  7,  2,  3,  4,  19, 23, 14, 35, 34, 33, 18, 20,
                                        26, 27, 28, 32, 15, 16, 12, 24, 37, 53, 47, 57, 58, 13};

std::vector<ULONG> Indexes(const DRVENABLEDATA& data) {
  std::vector<ULONG> indexes;
  for (ULONG i = 0; i < data.c; ++i) indexes.push_back(data.pdrvfn[i].iFunc);
  return indexes;
}

struct EnableCase {
  ULONG engineVersion;
  ULONG size;
  bool enabled;
};

void CheckEnable(PFN_DrvEnableDriver enable, PFN_DrvDisableDriver disable) {
  const EnableCase cases[] = {
      {0x1FFFF, sizeof(DRVENABLEDATA), false},
      {0x10000, sizeof(DRVENABLEDATA), false},
      {0x20000, 11, false},
      // Where pointers are 8 bytes, a block without room for the whole table
      // pointer cannot take the table.
      {0x20000, sizeof(DRVENABLEDATA) - 1, false},
      {0x20000, sizeof(DRVENABLEDATA), true},
      {0x30000, sizeof(DRVENABLEDATA) + 8, true},
  };
  for (const EnableCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.engineVersion << " size " << std::dec << c.size);
    DRVENABLEDATA data;
    std::memset(&data, 0xA5, sizeof data);
    SetLastError(0);
    const BOOL enabled = enable(c.engineVersion, c.size, &data);
    EXPECT_EQ(enabled != FALSE, c.enabled);
    if (!c.enabled) {
      EXPECT_EQ(GetLastError(), DWORD(ERROR_BAD_DRIVER_LEVEL));
      EXPECT_EQ(data.c, 0xA5A5A5A5u) << "a refused block stays untouched";
      continue;
    }
    EXPECT_EQ(data.iDriverVersion, 0x20000u);
    ASSERT_EQ(data.c, 28u);
    EXPECT_EQ(Indexes(data), kTableOrder);
    for (ULONG i = 0; i < data.c; ++i) EXPECT_NE(data.pdrvfn[i].pfn, nullptr) << "row " << i;
    disable();
  }
}

struct InfoCase {
  DWORD mode;
  DWORD size;
  BOOL result;
  DWORD error;
  DWORD needed;
};

void CheckQueryInfo(PFN_DrvQueryDriverInfo query) {
  const InfoCase cases[] = {
      {1, 3, FALSE, ERROR_INSUFFICIENT_BUFFER, 4},
      {1, 0, FALSE, ERROR_INSUFFICIENT_BUFFER, 4},
      {1, 4, TRUE, 0, 4},
      {1, 16, TRUE, 0, 4},
      {2, 16, FALSE, ERROR_INVALID_PARAMETER, 0xEEEE},
      {0, 16, FALSE, ERROR_INVALID_PARAMETER, 0xEEEE},
  };
  for (const InfoCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " size " << c.size);
    DWORD buffer[4] = {0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE};
    DWORD needed = 0xEEEE;
    SetLastError(0);
    EXPECT_EQ(query(c.mode, buffer, c.size, &needed), c.result);
    EXPECT_EQ(needed, c.needed);
    if (c.result) {
      EXPECT_EQ(buffer[0], 1u) << "a user-mode driver";
      EXPECT_EQ(buffer[1], 0xEEEEu);
    } else {
      EXPECT_EQ(GetLastError(), c.error);
      EXPECT_EQ(buffer[0], 0xEEEEu);
    }
  }
}

void DisableInProcess() { DisableGraphicsDriver(); }

}  // namespace

TEST(DdiEntryTest, EnableDriverRefusesOldEnginesAndShortBlocksAndHandsOutTheTable) {
  CheckEnable(EnableGraphicsDriver, DisableInProcess);
  // The default glyph set goes with the library and comes back with it.
  DRVENABLEDATA data{};
  ASSERT_TRUE(EnableGraphicsDriver(0x20000, sizeof data, &data));
  const FD_GLYPHSET* glyphs = DefaultGlyphSet();
  ASSERT_NE(glyphs, nullptr);
  EXPECT_GT(glyphs->cGlyphsSupported, 0u);
  DisableGraphicsDriver();
  EXPECT_EQ(DefaultGlyphSet(), nullptr);
  DisableGraphicsDriver();  // once more, as after an unload: nothing left to free
}

TEST(DdiEntryTest, DriverInfoAnswersUserModeInFourBytes) { CheckQueryInfo(QueryGraphicsDriverInfo); }

// The deliverable exports the same three functions by name, answers alike, and
// hands out its own table.
TEST(DdiEntryTest, TheBuiltLibraryExportsItsEntryPoints) {
  const std::string path =
      platform::AnsiFromUtf8(platform::WindowsPathFromHost(std::filesystem::path(ZEL_DRIVER_DIR) / "zelkerd5.dll"));
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, 0u) << "zelkerd5.dll must load: " << GetLastError();
  auto enable =
      reinterpret_cast<PFN_DrvEnableDriver>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DrvEnableDriver")));
  auto query = reinterpret_cast<PFN_DrvQueryDriverInfo>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DrvQueryDriverInfo")));
  auto disable =
      reinterpret_cast<PFN_DrvDisableDriver>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DrvDisableDriver")));
  ASSERT_NE(enable, nullptr);
  ASSERT_NE(query, nullptr);
  ASSERT_NE(disable, nullptr);
  CheckEnable(enable, disable);
  CheckQueryInfo(query);
  // Its table is its own, not the test program's.
  DRVENABLEDATA data{};
  ASSERT_TRUE(enable(0x20000, sizeof data, &data));
  EXPECT_NE(data.pdrvfn, GraphicsDriverFunctions());
  disable();
  EXPECT_TRUE(FreeLibrary(module));
}
