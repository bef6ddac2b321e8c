// Version information read from module files without loading them.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/base/version.h"
#include "tests/platform/module_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;
using moduletest::IsMapped;
using moduletest::ModuleFile;
using moduletest::TraceRecorder;
using moduletest::ZPath;

std::vector<unsigned char> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::vector<unsigned char>& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The filled version block of a file, or empty when it has none.
std::vector<unsigned char> VersionInfo(const std::string& path) {
  DWORD handle = 1;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  EXPECT_EQ(handle, 0u);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data())) << GetLastError();
  return block;
}

std::string QueryString(const std::vector<unsigned char>& block, const char* path) {
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path, &value, &length)) return "<none>";
  const char* text = static_cast<const char*>(value);
  EXPECT_EQ(length, std::strlen(text) + 1) << path;
  return text;
}

class VersionInfoTest : public testsupport::FreshMachine {};

TEST_F(VersionInfoTest, ReadsTheFileWithoutLoadingTheModule) {
  const fs::path file = ModuleFile("sample_module.dll");
  TraceRecorder traces;
  const std::vector<unsigned char> block = VersionInfo(ZPath(file));
  ASSERT_FALSE(block.empty()) << GetLastError();
  EXPECT_TRUE(traces.Take().empty()) << "DllMain ran";
  EXPECT_FALSE(IsMapped(file));

  LPVOID value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof(fixed));
  EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed.dwFileVersionMS, (6u << 16) | 310u);
  EXPECT_EQ(fixed.dwFileVersionLS, 23u << 16);
  EXPECT_EQ(fixed.dwProductVersionMS, (6u << 16) | 310u);
  EXPECT_EQ(fixed.dwProductVersionLS, 23u << 16);
  EXPECT_EQ(fixed.dwFileType, VFT_DLL);
  EXPECT_EQ(fixed.dwFileFlags, VS_FF_PRERELEASE | VS_FF_PATCHED);

  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 8u);
  WORD pairs[4];
  std::memcpy(pairs, value, sizeof(pairs));
  EXPECT_EQ(std::vector<WORD>(pairs, pairs + 4), (std::vector<WORD>{0x0409, 0x04B0, 0x0411, 0x04B0}));

  struct Case {
    const char* path;
    const char* expected;  // code page 932
  };
  const Case cases[] = {
      {"\\StringFileInfo\\040904b0\\ProductVersion", "6.310.23.0"},
      {"\\StringFileInfo\\040904B0\\productversion", "6.310.23.0"},
      {"\\StringFileInfo\\040904b0\\CompanyName", "Sample Works"},
      {"\\StringFileInfo\\040904b0\\LegalCopyright", "Copyright (C) Sample Works"},
      {"\\StringFileInfo\\041104b0\\CompanyName", "\x83\x54\x83\x93\x83\x76\x83\x8B\x8D\x48\x96\x5B"},  // サンプル工房
      {"\\StringFileInfo\\041104B0\\FileVersion", "6.310.23.0"},
      {"\\StringFileInfo\\040904b0\\NoSuchValue", "<none>"},
      {"\\StringFileInfo\\0c0a04b0\\ProductVersion", "<none>"},
      {"\\StringFileInfo\\040904b0", "<none>"},
  };
  for (const Case& c : cases) EXPECT_EQ(QueryString(block, c.path), c.expected) << c.path;

  // The wide form of the same string.
  WCHAR path[] = u"\\StringFileInfo\\041104b0\\ProductName";
  ASSERT_TRUE(VerQueryValueW(block.data(), path, &value, &length));
  EXPECT_EQ(std::u16string(static_cast<const char16_t*>(value), length), std::u16string(u"サンプル製品", 7));
}

TEST_F(VersionInfoTest, ABufferSmallerThanTheSizeIsRefused) {
  const std::string path = ZPath(ModuleFile("sample_module.dll"));
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<unsigned char> block(size, 0xCC);
  SetLastError(0);
  EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, size - 1, block.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(VersionInfoTest, ReadsModulesOfTheOtherElfClass) {
  const fs::path file = ZEL_OTHER_CLASS_MODULE;
  if (file.empty()) GTEST_SKIP() << "the compiler cannot build for the other ELF class";
  const std::vector<unsigned char> header = ReadAll(file);
  ASSERT_GT(header.size(), 5u);
  EXPECT_NE(header[4], sizeof(void*) == 8 ? 2 : 1) << "not of the other class";
  const std::vector<unsigned char> block = VersionInfo(ZPath(file));
  ASSERT_FALSE(block.empty()) << GetLastError();
  EXPECT_EQ(QueryString(block, "\\StringFileInfo\\040904b0\\ProductVersion"), "6.310.23.0");
}

TEST_F(VersionInfoTest, TheProgramsOwnVersion) {
  char program[1024];
  ASSERT_GT(GetModuleFileNameA(0, program, sizeof(program)), 0u);
  const std::vector<unsigned char> block = VersionInfo(program);
  ASSERT_FALSE(block.empty()) << GetLastError();
  LPVOID value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileVersionMS, (2u << 16) | 5u);
  EXPECT_EQ(QueryString(block, "\\StringFileInfo\\040904b0\\ProductVersion"), "2.5.0.9");
}

TEST_F(VersionInfoTest, FilesWithoutVersionInformation) {
  const fs::path text = Host("C:\\notes.txt");
  WriteAll(text, std::vector<unsigned char>(100, 'x'));
  struct Case {
    std::string path;
    DWORD error;
  };
  const Case cases[] = {
      {ZPath(ModuleFile("failing_module.dll")), ERROR_RESOURCE_DATA_NOT_FOUND},  // no resources at all
      {"C:\\notes.txt", ERROR_RESOURCE_DATA_NOT_FOUND},                          // not a module
      {"C:\\no_such_file.dll", ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(c.path.c_str(), nullptr), 0u) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
}

// Damaged files must be refused or read within bounds, never read past (the
// sanitizer build checks the latter).
TEST_F(VersionInfoTest, DamagedResourcesAreReadWithinBounds) {
  const std::vector<unsigned char> original = ReadAll(ModuleFile("sample_module.dll"));
  auto find = [&](const std::vector<unsigned char>& pattern) {
    auto at = std::search(original.begin(), original.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, original.end());
    return static_cast<size_t>(at - original.begin());
  };
  auto wide = [](std::u16string_view text) {
    std::vector<unsigned char> bytes;
    for (char16_t c : text)
      bytes.insert(bytes.end(), {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8)});
    return bytes;
  };
  const size_t blob = find({'Z', 'E', 'L', 'R', 'E', 'S', 0, 1});
  const size_t root = find(wide(u"VS_VERSION_INFO")) - 6;
  const size_t stringInfo = find(wide(u"StringFileInfo")) - 6;
  struct Case {
    const char* what;
    size_t offset;
    std::vector<unsigned char> bytes;
    bool readable;  // the block is still handed out
  };
  const Case cases[] = {
      {"blob size beyond the section", blob + 12, {0xF0, 0xFF, 0xFF, 0xFF}, false},
      {"entry count beyond the blob", blob + 16, {0xFF, 0xFF, 0x00, 0x00}, false},
      {"first entry's data beyond the blob", blob + 32 + 12, {0x00, 0x00, 0xFF, 0x7F}, false},
      {"version tree longer than its resource", root, {0xFF, 0xFF}, false},
      {"a child longer than its parent", stringInfo, {0xFF, 0xFF}, true},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> damaged = original;
    std::copy(c.bytes.begin(), c.bytes.end(), damaged.begin() + static_cast<std::ptrdiff_t>(c.offset));
    WriteAll(Host("C:\\damaged.dll"), damaged);
    DWORD size = GetFileVersionInfoSizeA("C:\\damaged.dll", nullptr);
    EXPECT_EQ(size != 0, c.readable) << c.what;
    if (!size) continue;
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA("C:\\damaged.dll", 0, size, block.data())) << c.what;
    EXPECT_EQ(QueryString(block, "\\StringFileInfo\\040904b0\\ProductVersion"), "<none>") << c.what;
  }
}

}  // namespace
