// The monitor's folders, files and small utilities; the archive's layout.
#include <gtest/gtest.h>

#include <fstream>

#include "monitor/engine.h"
#include "monitor/monitor_files.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/codepage.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "tests/monitor/monitor_fixture.h"

namespace monitortest {
namespace {

TEST(MonitorPaths, SplitPathAtTheLastBackslash) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  };
  for (const Case& c : {Case{"D:\\a\\b.log", "D:\\a", "b.log"}, Case{"b.log", "", ""}, Case{"C:\\x\\", "C:\\x", ""}}) {
    std::string folder = "stale", name = "stale";
    SplitPath(c.path, &folder, &name);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
  }
  std::string folder = "stale";
  SplitPath(nullptr, &folder, nullptr);
  EXPECT_EQ(folder, "");
}

TEST(MonitorUtilities, ClampWithBeep) {
  std::vector<platform::SoundRequest> sounds;
  platform::SetSoundHandler([&](const platform::SoundRequest& r) { sounds.push_back(r); });
  struct Case {
    int value, expected, result;
    size_t beeps;
  };
  for (const Case& c : {Case{60, 59, 0, 1}, Case{0, 1, 0, 2}, Case{30, 30, 1, 2}}) {
    int value = c.value;
    EXPECT_EQ(ClampWithBeep(&value, 1, 59), c.result);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(sounds.size(), c.beeps);
  }
  EXPECT_TRUE(sounds[0].beep);
  EXPECT_EQ(sounds[0].type, 0xFFFFFFFFu);
  platform::SetSoundHandler(nullptr);
}

class MonitorFiles : public MonitorTest {};

TEST_F(MonitorFiles, LogPathIsStoredOnFirstUseAndKeptAfter) {
  const std::string kWarning = platform::AnsiFromUtf8("警告");
  char path[MAX_PATH] = {};
  ASSERT_EQ(GetLogFilePath(kWarning.c_str(), path, sizeof path), 0u);
  char folder[MAX_PATH] = {};
  ASSERT_TRUE(GetMonitorUserFolder(folder));
  EXPECT_EQ(std::string(path), std::string(folder) + "\\PM1.LOG");
  EXPECT_TRUE(std::filesystem::is_directory(Host(folder)));
  // Stored: a second call answers the stored value, whatever the folder holds.
  std::filesystem::remove_all(Host(folder));
  char again[MAX_PATH] = {};
  ASSERT_EQ(GetLogFilePath(kWarning.c_str(), again, sizeof again), 0u);
  EXPECT_STREQ(again, path);
  EXPECT_FALSE(std::filesystem::exists(Host(folder)));
  char stored[MAX_PATH] = {};
  DWORD size = sizeof stored;
  ASSERT_EQ(db.GetString(0, kStoreUser, "PrinterMonitor", kWarning.c_str(), stored, &size), 0u);
  EXPECT_STREQ(stored, path);
}

TEST_F(MonitorFiles, OpenMonitorFileMakesFoldersAndFile) {
  const std::string path = DataFolder() + "\\a\\b\\c.log";
  const HANDLE file = OpenMonitorFile(path.c_str(), OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(std::filesystem::exists(Host(path)));
  EXPECT_FALSE(platform::HasNullDacl(path.c_str())) << "never writable by every account";
  EXPECT_EQ(OpenMonitorFile(nullptr, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenMonitorFile((DataFolder() + "\\none\\x.log").c_str(), OPEN_EXISTING), INVALID_HANDLE_VALUE);
}

TEST_F(MonitorFiles, ModelInformationFromTheModelDescription) {
  ModelInformation model;
  ASSERT_TRUE(GetModelInformation(kPrinter, &model));
  EXPECT_EQ(model.modelName, "Nardo 24");
  EXPECT_EQ(model.modelId, 50u);
  EXPECT_FALSE(GetModelInformation("No such printer", &model));
  EXPECT_FALSE(GetModelInformation(nullptr, &model));
}

TEST_F(MonitorFiles, ProfileStringsAndBlobs) {
  EXPECT_EQ(DP_ReadProfileString("S", "missing", IniPath().c_str()), "DP_NONE");
  ASSERT_TRUE(DP_WriteProfileString("S", "k", "v", IniPath().c_str()));
  EXPECT_EQ(DP_ReadProfileString("s", "K", IniPath().c_str()), "v");

  const std::string path = DataFolder() + "\\blob.bin";
  {
    CArchive archive(path.c_str(), CArchive::store);
    StoreBlob(archive, Blob{});
    StoreBlob(archive, Blob{1, 2, 3});
    Blob read;
    EXPECT_THROW(LoadBlob(archive, &read), CArchiveException);
    archive.Close();
  }
  EXPECT_EQ(ReadFile(path), std::string("\0\0\3\0\1\2\3", 7));
  CArchive archive(path.c_str(), CArchive::load);
  Blob block{9};
  LoadBlob(archive, &block);
  EXPECT_TRUE(block.empty());
  LoadBlob(archive, &block);
  EXPECT_EQ(block, (Blob{1, 2, 3}));
  EXPECT_THROW(StoreBlob(archive, block), CArchiveException);
  EXPECT_THROW(LoadBlob(archive, &block), CArchiveException) << "short data";
}

TEST_F(MonitorFiles, ArchiveStringLengthsAndTimes) {
  struct Case {
    size_t length;
    std::string prefix;
  };
  const Case cases[] = {{0, std::string("\x00", 1)},
                        {254, "\xFE"},
                        {255, std::string("\xFF\xFF\x00", 3)},
                        {65533, "\xFF\xFD\xFF"},
                        {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)}};
  const std::string path = DataFolder() + "\\strings.bin";
  for (const Case& c : cases) {
    {
      CArchive archive(path.c_str(), CArchive::store);
      archive.WriteString(std::string(c.length, 'a'));
      archive.Close();
    }
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.substr(0, c.prefix.size()), c.prefix) << c.length;
    EXPECT_EQ(bytes.size(), c.prefix.size() + c.length);
    CArchive archive(path.c_str(), CArchive::load);
    EXPECT_EQ(archive.ReadString(), std::string(c.length, 'a'));
  }
  {
    CArchive archive(path.c_str(), CArchive::store);
    archive.WriteTime(0x65000000);
    archive << uint32_t{1234};  // a 32-bit time
    archive.Close();
  }
  EXPECT_EQ(ReadFile(path).substr(0, 12), std::string("\x0A\x00\x00\x80\x00\x00\x00\x65\x00\x00\x00\x00", 12));
  CArchive archive(path.c_str(), CArchive::load);
  EXPECT_EQ(archive.ReadTime(), 0x65000000);
  EXPECT_EQ(archive.ReadTime(), 1234);
  EXPECT_THROW(archive.ReadTime(), CArchiveException);
}

}  // namespace
}  // namespace monitortest

namespace monitortest {
namespace {

// When the registry file cannot be made (here a folder stands where it goes),
// the monitor says so before it ends, instead of ending silently.
TEST_F(MonitorFiles, AnUnmakeableRegistryIsReported) {
  std::filesystem::remove(Host(IniPath()));
  std::filesystem::create_directories(Host(IniPath()));
  PM_CEngine engine(PM_CCommandLine(std::string("x _(") + kPrinter + ")_ NORMAL"));
  EXPECT_EQ(engine.Start(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "プリントモニタエラー: ファイルの作成ができませんでした。");
  EXPECT_EQ(boxes[0].type & 0xF0u, static_cast<UINT>(MB_ICONHAND));
}

}  // namespace
}  // namespace monitortest
