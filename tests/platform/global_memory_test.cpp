// Movable memory blocks and the system's error texts.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/errors.h"
#include "platform/base/global_memory.h"

namespace {

TEST(GlobalMemory, BlocksAreZeroedGrowKeepingTheirBytesAndFreeOnce) {
  HGLOBAL block = GlobalAlloc(GHND, 16);
  ASSERT_NE(block, 0u);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], 0);
  std::memcpy(bytes, "kept", 4);
  EXPECT_FALSE(GlobalUnlock(block));
  ASSERT_EQ(GlobalReAlloc(block, 4096, GMEM_MOVEABLE | GMEM_ZEROINIT), block);
  EXPECT_EQ(GlobalSize(block), 4096u);
  bytes = static_cast<unsigned char*>(GlobalLock(block));
  EXPECT_EQ(std::memcmp(bytes, "kept", 4), 0);
  EXPECT_EQ(bytes[4095], 0);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), 0u);
  EXPECT_EQ(GlobalFree(block), block) << "a freed block is no block";
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(GlobalMemory, SystemTextsOfErrorCodes) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                                      ERROR_ACCESS_DENIED, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_GT(length, 0u);
  EXPECT_STREQ(text, "Access is denied.\r\n");
  EXPECT_EQ(LocalFree(text), nullptr);

  char small[8];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, sizeof small, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  char buffer[128];
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 987654, 0, buffer, sizeof buffer, nullptr), 0u);
}

}  // namespace
