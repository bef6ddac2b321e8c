// File mappings: a view shows the file's bytes and outlives its handles; a
// writable view reaches the file, a copy view does not; the refusals a caller
// relies on (empty file, read-only mapping past the end, misaligned offset, write
// access on a read-only mapping or handle) fail with Windows' codes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/file_mapping.h"
#include "platform/base/handles.h"
#include "tests/support/machine_fixture.h"

namespace {

class FileMappingTest : public testsupport::FreshMachine {
 protected:
  // Writes the bytes to C:\data\<name> and answers its Windows path.
  std::string MakeFile(const std::string& name, const std::vector<char>& bytes) {
    CreateDirectoryA("C:\\data", nullptr);
    std::string path = "C:\\data\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) {
      EXPECT_TRUE(WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr));
    }
    CloseHandle(file);
    return path;
  }
  static HANDLE Open(const std::string& path, DWORD access) {
    return CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  }
  static std::vector<char> Pattern(size_t size) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 7 + i / 251);
    return bytes;
  }
  static std::vector<char> ReadAll(const std::string& path) {
    HANDLE file = Open(path, GENERIC_READ);
    DWORD size = GetFileSize(file, nullptr);
    std::vector<char> bytes(size);
    DWORD read = 0;
    if (size) ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    return bytes;
  }
};

TEST_F(FileMappingTest, ReadOnlyViewShowsTheFileAndOutlivesItsHandles) {
  std::vector<char> bytes = Pattern(70000);
  std::string path = MakeFile("a.bin", bytes);
  HANDLE file = Open(path, GENERIC_READ);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, 0u) << GetLastError();
  auto* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr) << GetLastError();
  // The second view starts at the allocation granularity.
  auto* tail = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0x10000, 0));
  ASSERT_NE(tail, nullptr) << GetLastError();
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(std::memcmp(view, bytes.data(), bytes.size()), 0);
  EXPECT_EQ(std::memcmp(tail, bytes.data() + 0x10000, bytes.size() - 0x10000), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(UnmapViewOfFile(tail));
  SetLastError(0);
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ADDRESS));
}

TEST_F(FileMappingTest, WritableViewReachesTheFileCopyViewDoesNot) {
  std::string path = MakeFile("w.bin", Pattern(100));
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE);
  // A writable mapping larger than the file grows it.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 200, nullptr);
  ASSERT_NE(mapping, 0u) << GetLastError();
  EXPECT_EQ(GetFileSize(file, nullptr), 200u);
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(view, nullptr) << GetLastError();
  auto* copy = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_COPY, 0, 0, 0));
  ASSERT_NE(copy, nullptr) << GetLastError();
  std::memcpy(view + 150, "mapped", 6);
  std::memcpy(copy, "private", 7);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(UnmapViewOfFile(copy));
  CloseHandle(mapping);
  CloseHandle(file);
  std::vector<char> now = ReadAll(path);
  ASSERT_EQ(now.size(), 200u);
  EXPECT_EQ(std::string(now.data() + 150, 6), "mapped");
  EXPECT_EQ(std::memcmp(now.data(), Pattern(100).data(), 100), 0);
}

TEST_F(FileMappingTest, AnonymousMappingIsSharedByItsViews) {
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
  ASSERT_NE(mapping, 0u) << GetLastError();
  auto* first = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  auto* second = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4096));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  std::strcpy(first, "shared");
  EXPECT_STREQ(second, "shared");
  UnmapViewOfFile(first);
  UnmapViewOfFile(second);
  CloseHandle(mapping);
}

TEST_F(FileMappingTest, RefusalsAnswerWindowsCodes) {
  std::string empty = MakeFile("empty.bin", {});
  std::string small = MakeFile("small.bin", Pattern(1000));
  HANDLE emptyFile = Open(empty, GENERIC_READ);
  HANDLE readFile = Open(small, GENERIC_READ);
  HANDLE writeOnly = Open(small, GENERIC_WRITE);

  struct Case {
    const char* what;
    HANDLE file;
    DWORD protect;
    DWORD size;
    bool named;
    DWORD error;
  } cases[] = {
      {"empty file, no size", emptyFile, PAGE_READONLY, 0, false, ERROR_FILE_INVALID},
      {"read-only past the end", readFile, PAGE_READONLY, 2000, false, ERROR_NOT_ENOUGH_MEMORY},
      {"writable on a read handle", readFile, PAGE_READWRITE, 0, false, ERROR_ACCESS_DENIED},
      {"read-only on a write-only handle", writeOnly, PAGE_READONLY, 0, false, ERROR_ACCESS_DENIED},
      {"unknown protection", readFile, 0x40, 0, false, ERROR_INVALID_PARAMETER},
      {"named mapping", readFile, PAGE_READONLY, 0, true, ERROR_NOT_SUPPORTED},
      {"not a file handle", HANDLE(0x1234), PAGE_READONLY, 0, false, ERROR_INVALID_HANDLE},
      {"anonymous without a size", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, false, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingA(c.file, nullptr, c.protect, 0, c.size, c.named ? "name" : nullptr), 0u);
    EXPECT_EQ(GetLastError(), c.error);
  }

  HANDLE mapping = CreateFileMappingA(readFile, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, 0u);
  struct ViewCase {
    const char* what;
    DWORD access;
    DWORD offset;
    SIZE_T bytes;
    DWORD error;
  } views[] = {
      {"write access on a read-only mapping", FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
      {"offset off the granularity", FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
      {"more bytes than the mapping", FILE_MAP_READ, 0, 1001, ERROR_ACCESS_DENIED},
      {"offset past the mapping", FILE_MAP_READ, 0x10000, 0, ERROR_ACCESS_DENIED},
      {"no access asked", 0, 0, 0, ERROR_INVALID_PARAMETER},
  };
  for (const ViewCase& v : views) {
    SCOPED_TRACE(v.what);
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(mapping, v.access, 0, v.offset, v.bytes), nullptr);
    EXPECT_EQ(GetLastError(), v.error);
  }
  SetLastError(0);
  EXPECT_EQ(MapViewOfFile(emptyFile, FILE_MAP_READ, 0, 0, 0), nullptr) << "a file handle is not a mapping";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  CloseHandle(mapping);
  CloseHandle(emptyFile);
  CloseHandle(readFile);
  CloseHandle(writeOnly);
}

}  // namespace
