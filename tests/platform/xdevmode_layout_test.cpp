// The device mode is read by offset by other processes and by the tools that
// use the published field map, so the map must name exactly these offsets, in
// this order. The numbers are written out here, not taken from the structure,
// so a member that moves shows up as a failure instead of moving the map along
// with it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>

#include "common/devmode_field_map.h"
#include "common/xdevmode.h"

namespace {

// Spooler and applications copy device modes as plain bytes.
static_assert(std::is_trivially_copyable_v<XDEVMODE>);
static_assert(std::is_standard_layout_v<XDEVMODE>);
static_assert(std::is_trivially_copyable_v<XDEVMODE_PRIVATE>);
static_assert(std::is_standard_layout_v<XDEVMODE_PRIVATE>);
static_assert(std::is_trivially_copyable_v<WatermarkRecord>);
static_assert(std::is_standard_layout_v<WatermarkRecord>);

struct PublishedOffset {
  const char* name;
  DWORD offset;
};

constexpr PublishedOffset kExpectedMap[] = {
    {"_OffsetRevision", 4},   {"_nMediaType", 6},
    {"_iOutputSize", 8},      {"_iOutputFeedDirection", 12},
    {"_nDuplex", 16},         {"_nFixedOrientation", 18},
    {"_nUpPCL", 20},          {"_nUp", 22},
    {"_nBooklet", 32},        {"_bJog", 36},
    {"_bCollate", 40},        {"_iSNMP", 888},
    {"_sAccount", 894},       {"_sNote", 926},
    {"_epBanner", 1084},      {"_epSlipSheet", 1096},
    {"_epFrontCover", 1108},  {"_epBackCover", 1120},
    {"_wStaple", 1184},       {"_nOutputTray", 1186},
    {"_nMarginType", 1380},   {"_nPDL", 1410},
    {"_dwAdvSettings", 1412},
};

TEST(XDevModeLayout, FieldMapNamesPublishedOffsetsInOrder) {
  ASSERT_EQ(kDevModeFieldMap.size(), std::size(kExpectedMap));
  for (size_t i = 0; i < kDevModeFieldMap.size(); ++i) {
    SCOPED_TRACE(kExpectedMap[i].name);
    EXPECT_STREQ(kDevModeFieldMap[i].name, kExpectedMap[i].name);
    EXPECT_EQ(kDevModeFieldMap[i].offset, kExpectedMap[i].offset);
  }
}

// An outside reader patches a stored block at 220 + the published offset; the
// driver must then see the value in the member. Little-endian, as the block is
// stored.
TEST(XDevModeLayout, ValuesWrittenAtPublishedOffsetsReachTheMembers) {
  unsigned char block[kXDevModeSize] = {};
  auto put16 = [&](DWORD offset, WORD v) {
    block[kXDevModePublicSize + offset] = static_cast<unsigned char>(v & 0xFF);
    block[kXDevModePublicSize + offset + 1] = static_cast<unsigned char>(v >> 8);
  };
  auto put32 = [&](DWORD offset, DWORD v) {
    for (int i = 0; i < 4; ++i) block[kXDevModePublicSize + offset + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(0, kXDevModePrivateVersion);
  put16(4, kXDevModeRevision);
  put16(22, 16);
  put32(888, 2);
  std::memcpy(block + kXDevModePublicSize + 894, "ACCT-7", 7);
  put32(1096 + 4, 0x1234);  // slip sheet: source value
  put16(1410, kPdlPclXl);
  put32(1412, kAdvEmfSpooling | kAdvPrintErrors);
  put32(1348, 1);  // watermark: outline

  XDEVMODE dm;
  std::memcpy(&dm, block, sizeof dm);
  const XDEVMODE_PRIVATE& p = dm.dmPrivate;
  EXPECT_EQ(p.privateVersion, 4u);
  EXPECT_EQ(p.revisionStamp, 12345);
  EXPECT_EQ(p._nUp, 16);
  EXPECT_EQ(p._iSNMP, 2u);
  EXPECT_STREQ(p._sAccount, "ACCT-7");
  EXPECT_EQ(p._epSlipSheet.source, 0x1234u);
  EXPECT_EQ(p._epSlipSheet.on, 0u);
  EXPECT_EQ(p._nPDL, 0x4000);
  EXPECT_EQ(p._dwAdvSettings, 0x108u);
  EXPECT_EQ(p._wmCurrent.outline, 1u);
}

}  // namespace
