// Resources compiled into a module: string tables per language, data of numbered
// and named types, and their lifetime.
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/resources.h"
#include "platform/base/version.h"
#include "tests/platform/module_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

using moduletest::ModuleFile;
using moduletest::ZPath;

std::vector<unsigned char> FileBytes(const std::string& name) {
  std::ifstream in(std::string(ZEL_SOURCE_DIR) + "/tests/platform/fixtures/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> Bytes(HMODULE module, HRSRC resource) {
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, resource)));
  if (!data) return {};
  return {data, data + SizeofResource(module, resource)};
}

class ResourcesTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    platform::SetUiLanguage(platform::UiLanguage::Japanese);
    module_ = LoadLibraryA(ZPath(ModuleFile("sample_module.dll")).c_str());
    ASSERT_NE(module_, 0u) << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    platform::SetUiLanguage(platform::UiLanguage::Japanese);
    FreshMachine::TearDown();
  }
  HMODULE module_ = 0;
};

TEST_F(ResourcesTest, LoadStringTakesTheMachinesLanguageThenTheOther) {
  struct Case {
    UINT id;
    platform::UiLanguage language;
    const char* expected;  // code page 932
  };
  using enum platform::UiLanguage;
  const Case cases[] = {
      {1, Japanese,
       "\x83\x54\x83\x93\x83\x76\x83\x8B\x20\x83\x82\x83\x57\x83\x85\x81\x5B\x83\x8B"},  // サンプル モジュール
      {1, English, "Sample module"},
      {10, English, "\x93\xFA\x96\x7B\x8C\xEA\x82\xBE\x82\xAF"},  // 日本語だけ: only in the Japanese table
      {20, Japanese, "English only"},
      {17, Japanese, "\x91\xE6\x93\xF1\x83\x75\x83\x8D\x83\x62\x83\x4E"},  // 第二ブロック: a second block of 16
      {17, English, "Second block"},
      {1000, Japanese, "\x95\x5C\x8E\xA6\x82\xC6\x91\xB1\x82\xAB"},  // 表示と続き, joined from three pieces
  };
  for (const Case& c : cases) {
    platform::SetUiLanguage(c.language);
    char buffer[64];
    int length = LoadStringA(module_, c.id, buffer, sizeof(buffer));
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected))) << c.id;
    EXPECT_STREQ(buffer, c.expected) << c.id;
  }

  char buffer[8] = "xxxxxxx";
  SetLastError(0);
  EXPECT_EQ(LoadStringA(module_, 999, buffer, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourcesTest, LoadStringACutsWithoutSplittingADoubleByteCharacter) {
  struct Case {
    UINT id;
    int bufferMax;
    int expected;
  };
  const Case cases[] = {
      // 日本語テキスト: seven double-byte characters.
      // clang-format off
      {2, 1, 0}, {2, 2, 0}, {2, 3, 2}, {2, 4, 2}, {2, 5, 4}, {2, 14, 12}, {2, 15, 14}, {2, 64, 14},
      // clang-format on
      // Aあいう: one single byte, then double bytes.
      {3, 2, 1},
      {3, 3, 1},
      {3, 4, 3},
      // ｲﾝﾌｫﾒｰｼｮﾝ: half-width katakana are single bytes, not lead bytes.
      {4, 5, 4},
      {4, 10, 9},
      // ｱ日本
      {5, 3, 1},
      {5, 4, 3},
      {5, 5, 3},
  };
  for (const Case& c : cases) {
    char full[64];
    const int fullLength = LoadStringA(module_, c.id, full, sizeof(full));
    std::vector<char> buffer(c.bufferMax + 4, '#');
    int length = LoadStringA(module_, c.id, buffer.data(), c.bufferMax);
    EXPECT_EQ(length, c.expected) << c.id << " in " << c.bufferMax;
    ASSERT_LE(length, fullLength);
    EXPECT_EQ(std::string(buffer.data()), std::string(full, length)) << c.id << " in " << c.bufferMax;
    EXPECT_EQ(buffer[c.bufferMax], '#') << "wrote past a buffer of " << c.bufferMax;
  }
}

TEST_F(ResourcesTest, LoadStringWGivesUtf16AndAPointerOnRequest) {
  WCHAR buffer[64];
  EXPECT_EQ(LoadStringW(module_, 1, buffer, 64), 10);
  EXPECT_EQ(std::u16string(buffer), u"サンプル モジュール");
  EXPECT_EQ(LoadStringW(module_, 2, buffer, 3), 2);
  EXPECT_EQ(std::u16string(buffer), u"日本");
  EXPECT_EQ(LoadStringW(module_, 21, buffer, 64), 23);  // escapes of the script
  EXPECT_EQ(std::u16string(buffer), u"Tab\there, quote \" and \u00e9");

  // A zero-sized buffer receives a read-only pointer to the string instead.
  LPCWSTR pointer = nullptr;
  int length = LoadStringW(module_, 17, reinterpret_cast<LPWSTR>(&pointer), 0);
  ASSERT_NE(pointer, nullptr);
  EXPECT_EQ(std::u16string(pointer, length), u"第二ブロック");
}

TEST_F(ResourcesTest, DataResourcesAreFoundByNumberOrNameWithoutRegardToCase) {
  const std::vector<unsigned char> blob = FileBytes("sample_blob.bin");
  const std::vector<unsigned char> bitmap = FileBytes("uparrow.bmp");
  ASSERT_EQ(blob.size(), 300u);
  struct Case {
    const char* type;
    const char* name;
    std::vector<unsigned char> expected;
  };
  const Case cases[] = {
      {MAKEINTRESOURCEA(0x20B5), MAKEINTRESOURCEA(101), blob},
      {MAKEINTRESOURCEA(260), MAKEINTRESOURCEA(1), blob},
      {"#260", "#1", blob},
      {RT_RCDATA, "BLOB_DATA", blob},
      {"fontdata", "MINCHO", blob},
      // A bitmap resource is the .bmp without its 14-byte file header.
      {RT_BITMAP, "UpArrow_U", std::vector<unsigned char>(bitmap.begin() + 14, bitmap.end())},
  };
  for (const Case& c : cases) {
    HRSRC resource = FindResourceA(module_, c.name, c.type);
    ASSERT_NE(resource, 0u) << GetLastError();
    EXPECT_EQ(Bytes(module_, resource), c.expected);
  }
  WCHAR type[] = u"FontData";
  WCHAR name[] = u"mincho";
  EXPECT_EQ(Bytes(module_, FindResourceW(module_, name, type)), blob);
}

TEST_F(ResourcesTest, MissingResourcesSayWhatIsMissing) {
  struct Case {
    const char* type;
    const char* name;
    WORD language;
    HRSRC (*find)(HMODULE, const char*, const char*, WORD);
    DWORD error;
  };
  auto plain = [](HMODULE m, const char* type, const char* name, WORD) { return FindResourceA(m, name, type); };
  auto exact = [](HMODULE m, const char* type, const char* name, WORD language) {
    return FindResourceExA(m, type, name, language);
  };
  const Case cases[] = {
      {MAKEINTRESOURCEA(999), MAKEINTRESOURCEA(1), 0, plain, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {RT_RCDATA, "NO_SUCH_NAME", 0, plain, ERROR_RESOURCE_NAME_NOT_FOUND},
      {RT_RCDATA, MAKEINTRESOURCEA(5), 0, plain, ERROR_RESOURCE_NAME_NOT_FOUND},
      // Only a Japanese one exists.
      {MAKEINTRESOURCEA(0x20B5), MAKEINTRESOURCEA(101), 0x0409, exact, ERROR_RESOURCE_LANG_NOT_FOUND},
      {MAKEINTRESOURCEA(0x20B5), MAKEINTRESOURCEA(101), 0x0411, exact, ERROR_SUCCESS},
      // English (United Kingdom) takes the English one.
      {RT_RCDATA, "Blob_Data", 0x0809, exact, ERROR_SUCCESS},
      {RT_RCDATA, "Blob_Data", 0, exact, ERROR_SUCCESS},
  };
  for (const Case& c : cases) {
    SetLastError(ERROR_SUCCESS);
    HRSRC resource = c.find(module_, c.type, c.name, c.language);
    EXPECT_EQ(resource != 0, c.error == ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(ResourcesTest, TheVersionResourceHasTheWideLayoutWindowsCodeWalks) {
  auto block = platform::FindModuleResource(module_, MAKEINTRESOURCEA(1), RT_VERSION);
  ASSERT_TRUE(block);
  const unsigned char* data = block->data();
  auto u16 = [&](size_t offset) { return static_cast<char16_t>(data[offset] | (data[offset + 1] << 8)); };
  EXPECT_EQ(u16(0), block->size());  // wLength
  EXPECT_EQ(u16(2), 52);             // wValueLength: the fixed file information
  std::u16string key;
  for (size_t offset = 6; u16(offset); offset += 2) key.push_back(u16(offset));
  EXPECT_EQ(key, u"VS_VERSION_INFO");
  // 6 bytes of header and 32 of key, padded to 40: the VS_FIXEDFILEINFO signature.
  EXPECT_EQ(data[40] | (data[41] << 8) | (data[42] << 16) | (uint32_t(data[43]) << 24), 0xFEEF04BDu);
  const std::u16string text(reinterpret_cast<const char16_t*>(data), block->size() / 2);
  size_t table = text.find(u"040904b0");
  ASSERT_NE(table, std::u16string::npos);
  EXPECT_NE(text.find(u"ProductVersion", table), std::u16string::npos);

  // The bare resource answers the wide queries; the ANSI strings exist only in a
  // block GetFileVersionInfo filled.
  LPVOID value = nullptr;
  UINT length = 0;
  WCHAR path[] = u"\\StringFileInfo\\040904b0\\ProductVersion";
  ASSERT_TRUE(VerQueryValueW(data, path, &value, &length));
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(value)), u"6.310.23.0");
  EXPECT_FALSE(VerQueryValueA(data, "\\StringFileInfo\\040904b0\\ProductVersion", &value, &length));
  EXPECT_TRUE(VerQueryValueA(data, "\\", &value, &length));
}

TEST_F(ResourcesTest, HandlesOfAResourceDieWithItsModule) {
  HRSRC resource = FindResourceA(module_, "BLOB_DATA", RT_RCDATA);
  ASSERT_NE(resource, 0u);
  ASSERT_NE(LockResource(LoadResource(module_, resource)), nullptr);
  ASSERT_TRUE(FreeLibrary(module_));
  module_ = 0;
  EXPECT_EQ(LoadResource(module_, resource), 0u);
  EXPECT_EQ(LockResource(resource), nullptr);
  EXPECT_EQ(SizeofResource(module_, resource), 0u);
}

TEST_F(ResourcesTest, TheProgramsOwnResourcesAnswerForANullModule) {
  char buffer[32];
  EXPECT_EQ(LoadStringA(0, 7, buffer, sizeof(buffer)), 14);
  EXPECT_STREQ(buffer, "program string");
  EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 7, buffer, sizeof(buffer)), 14);
  EXPECT_NE(FindResourceA(0, MAKEINTRESOURCEA(1), RT_VERSION), 0u);
  // The sample's strings are not the program's.
  EXPECT_EQ(LoadStringA(0, 1, buffer, sizeof(buffer)), 0);
}

}  // namespace
