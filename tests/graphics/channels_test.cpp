// Channel files of a job: where they live, that their names are unique per
// process and per document (also for two processes whose device contexts sit at
// the same address), that they go at the document's end, at an aborted job's
// end and on a second call alike, and how files are read back and written anew.
// Failures of channel files mark the job failed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "graphics/stream/output.h"
#include "platform/base/files.h"
#include "platform/base/sync.h"
#include "tests/graphics/stream_fixture.h"

namespace {

using namespace streamtest;

class ChannelsTest : public StreamTest {
 protected:
  // Writes text into a channel through the buffer and returns to the spooler.
  static void Capture(PDEV* pdev, DWORD channel, const Bytes& text) {
    ASSERT_EQ(SelectOutputChannel(pdev, channel), 1);
    ASSERT_EQ(WriteOut(pdev, kWriteBytes, int(text.size()), text.data()), int(text.size()));
    ASSERT_EQ(SelectOutputChannel(pdev, kChannelSpooler), 1);
  }
  static std::string PathOf(const PDEV* pdev, DWORD channel) { return pdev->output.channels[channel - 1].path; }
  std::string TempPath() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    return temp;
  }
};

TEST_F(ChannelsTest, FilesLiveInAFolderOfTheirOwnPerDocument) {
  PDEV* pdev = NewPdev();
  ASSERT_TRUE(InitChannelFiles(pdev));
  for (DWORD channel :
       {kChannelPages, kChannelDownloads, kChannelWatermark, kChannelTabs, kChannelCapturedPostScript}) {
    Capture(pdev, channel, "data of " + std::to_string(channel));
  }
  // <temp>\zel<pid>_<n>\<n>.<ext>, the page-offset file among them.
  std::string escaped;
  for (char c : TempPath()) {
    if (!std::isalnum(static_cast<unsigned char>(c))) escaped += '\\';
    escaped += c;
  }
  const std::regex form(escaped + "zel" + std::to_string(GetCurrentProcessId()) +
                        R"(_(\d+)\\(\d+)\.(pgs|dwl|wtm|pgo|tab|psp))");
  const char* extensions[] = {"", "pgs", "dwl", "wtm", "pgo", "job", "tab", "psp"};
  for (DWORD channel : {2u, 3u, 4u, 5u, 7u, 8u}) {
    SCOPED_TRACE(channel);
    std::smatch match;
    const std::string path = PathOf(pdev, channel);
    ASSERT_TRUE(std::regex_match(path, match, form)) << path;
    EXPECT_EQ(match[1], match[2]);
    EXPECT_EQ(match[3], extensions[channel - 1]);
    if (channel != kChannelPageOffsets) {
      EXPECT_EQ(ReadWindowsFile(path), "data of " + std::to_string(channel));
    }
  }
  EXPECT_EQ(pdev->output.channels[5].path[0], '\0') << "channel 6 is never written";

  // The next document of the same PDEV gets another folder; the last one's
  // files are gone.
  const std::string firstPages = PathOf(pdev, kChannelPages);
  ASSERT_TRUE(InitChannelFiles(pdev));
  Capture(pdev, kChannelPages, "second document");
  EXPECT_NE(PathOf(pdev, kChannelPages), firstPages);
  EXPECT_FALSE(WindowsFileExists(firstPages));
}

TEST_F(ChannelsTest, TwoDeviceContextsNeverShareAFile) {
  PDEV* first = NewPdev();
  PDEV* second = NewPdev();
  ASSERT_TRUE(InitChannelFiles(first));
  ASSERT_TRUE(InitChannelFiles(second));
  Capture(first, kChannelPages, "first");
  Capture(second, kChannelPages, "second");
  std::set<std::string> paths;
  for (PDEV* pdev : {first, second}) {
    for (DWORD channel : {2u, 5u}) paths.insert(PathOf(pdev, channel));
  }
  EXPECT_EQ(paths.size(), 4u);
  EXPECT_EQ(ReadWindowsFile(PathOf(first, kChannelPages)), "first");
  EXPECT_EQ(ReadWindowsFile(PathOf(second, kChannelPages)), "second");
}

TEST_F(ChannelsTest, AnotherProcessWithThePdevAtTheSameAddressUsesOtherFiles) {
  PDEV* pdev = NewPdev();
  ASSERT_TRUE(InitChannelFiles(pdev));
  Capture(pdev, kChannelPages, "parent's page");
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  if (child == 0) {
    // A device context of the child's own, at the very address of the parent's.
    ::close(pipeFds[0]);
    new (pdev) PDEV();
    bool ok = AllocOutputBuffer(pdev) == 1 && InitChannelFiles(pdev);
    ok = ok && SelectOutputChannel(pdev, kChannelPages) == 1 && WriteOut(pdev, kWriteText, 0, "child's page") > 0 &&
         FlushOutputBuffer(pdev) == 1;
    const std::string path = ok ? PathOf(pdev, kChannelPages) : "";
    ssize_t written = ::write(pipeFds[1], path.c_str(), path.size());
    _exit(ok && written == ssize_t(path.size()) ? 0 : 1);
  }
  ::close(pipeFds[1]);
  char buffer[MAX_PATH * 2] = {};
  ssize_t got = 0;
  for (ssize_t n; (n = ::read(pipeFds[0], buffer + got, sizeof buffer - 1 - got)) > 0;) got += n;
  ::close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string childPath(buffer, size_t(got));
  EXPECT_NE(childPath, PathOf(pdev, kChannelPages));
  EXPECT_NE(childPath.find("zel" + std::to_string(child) + "_"), std::string::npos) << childPath;
  EXPECT_EQ(ReadWindowsFile(childPath), "child's page");
  // The parent's stored page is intact and its job goes on.
  Capture(pdev, kChannelPages, " and more");
  EXPECT_EQ(ReadWindowsFile(PathOf(pdev, kChannelPages)), "parent's page and more");
  std::filesystem::remove_all(Host(childPath).parent_path());
}

// Document folders left by processes that ended without removing them (killed)
// go when a process makes its first document folder: that of a dead id, and
// that of an id now given to a process started after the folder was written.
// Those of running processes stay.
TEST_F(ChannelsTest, FoldersOfEndedProcessesGoWhenTheNextProcessStartsAJob) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const pid_t running = fork();
  if (running == 0) {
    pause();
    _exit(0);
  }
  const std::filesystem::path temp = Host(TempPath());
  std::filesystem::create_directories(temp);
  struct Case {
    std::string name;
    bool oldFolder;
    bool stays;
  };
  const std::vector<Case> cases = {
      {"zel" + std::to_string(dead) + "_3", false, false},
      {"zel" + std::to_string(running) + "_4", true, false},  // written before its id's process started
      {"zel" + std::to_string(running) + "_5", false, true},
      {"zelnot_a_job", true, true},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(temp / c.name);
    std::ofstream(temp / c.name / "3.pgs") << "pages";
    if (c.oldFolder) {
      std::filesystem::last_write_time(temp / c.name,
                                       std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
  }
  const pid_t next = fork();
  if (next == 0) {
    PDEV* own = NewPdev();
    const bool ok = InitChannelFiles(own) && SelectOutputChannel(own, kChannelPages) == 1 &&
                    WriteOut(own, kWriteText, 0, "page") > 0 && FlushOutputBuffer(own) == 1;
    _exit(ok ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(next, &status, 0), next);
  kill(running, SIGKILL);
  waitpid(running, nullptr, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (const Case& c : cases) EXPECT_EQ(std::filesystem::exists(temp / c.name), c.stays) << c.name;
}

TEST_F(ChannelsTest, FilesGoAtDocumentEndAndWithAnAbortedJob) {
  for (bool aborted : {false, true}) {
    SCOPED_TRACE(aborted ? "device context freed without the document end" : "document end");
    auto pdev = std::make_unique<PDEV>();
    ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
    ASSERT_TRUE(InitChannelFiles(pdev.get()));
    for (DWORD channel : {kChannelPages, kChannelWatermark, kChannelTabs, kChannelCapturedPostScript}) {
      Capture(pdev.get(), channel, "x");
    }
    pdev->output.pageRecord.page = 1;
    ASSERT_EQ(RecordPageOffset(pdev.get(), TRUE), 1);
    ASSERT_EQ(WritePageOffsetFile(pdev.get()), 1);
    // A file left open for reading goes as well.
    ASSERT_TRUE(OpenChannelForReading(pdev.get(), 3));
    const std::string folder = pdev->output.jobFolder;
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(WindowsFileExists(PathOf(pdev.get(), kChannelPageOffsets)));
    if (aborted) {
      FreeOutputBuffer(pdev.get());
    } else {
      DeleteChannelFiles(pdev.get());
      DeleteChannelFiles(pdev.get());  // a second call (the device context's end) finds nothing
      FreeOutputBuffer(pdev.get());
    }
    EXPECT_FALSE(WindowsFileExists(folder)) << folder;
  }
  // Only the temp folder itself is left.
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(Host(TempPath()), ec)) {
    ADD_FAILURE() << "left behind: " << entry.path();
  }
}

TEST_F(ChannelsTest, TempFolderComesFromTheSettingsOrThePerUserTempFolder) {
  BindSettings();
  struct Case {
    const char* setting;  // null: none stored
    std::string wantPrefix;
  } cases[] = {
      {nullptr, TempPath()},
      {"C:\\Spool Work", "C:\\Spool Work\\temp\\"},
      {"C:\\Spool Work\\", "C:\\Spool Work\\temp\\"},
      {"C:\\No Such\\Folder", TempPath()},  // cannot be made: not the drive's root either
  };
  std::filesystem::create_directories(Host("C:\\Spool Work"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting ? c.setting : "(none)");
    if (c.setting) {
      ASSERT_EQ(db.SetString(0, kStoreUser, "GeneralInformation", "TempDir", c.setting), 0u);
    }
    char folder[MAX_PATH];
    ASSERT_TRUE(GetDriverTempFolder(folder, sizeof folder));
    EXPECT_EQ(std::string(folder), c.wantPrefix);
    PDEV* pdev = NewPdev();
    ASSERT_TRUE(InitChannelFiles(pdev));
    EXPECT_EQ(PathOf(pdev, kChannelPageOffsets).rfind(c.wantPrefix, 0), 0u) << PathOf(pdev, kChannelPageOffsets);
  }
  char tiny[8];
  EXPECT_FALSE(GetDriverTempFolder(tiny, sizeof tiny));
}

TEST_F(ChannelsTest, CapturedFilesAreCopiedIntoTheCurrentChannel) {
  PDEV* pdev = NewPdev();
  ASSERT_TRUE(InitChannelFiles(pdev));
  // Nothing captured yet: nothing to copy, and no failure.
  EXPECT_EQ(EmitDownloadFile(pdev), 1);
  EXPECT_EQ(EmitWatermarkFile(pdev), 1);
  EXPECT_EQ(ReplayCapturedBlock(pdev, 1), 1);
  EXPECT_EQ(Sent(pdev), "");

  const Bytes watermark = Payload(9000, 21);
  Capture(pdev, kChannelDownloads, "font definitions;");
  Capture(pdev, kChannelWatermark, watermark);
  Capture(pdev, kChannelCapturedPostScript, "%!PS block");
  WriteOut(pdev, kWriteText, 0, "[page 1]");
  EXPECT_EQ(EmitDownloadFile(pdev), 1);
  EXPECT_EQ(EmitWatermarkFile(pdev), 1);
  WriteOut(pdev, kWriteText, 0, "[page 2]");
  EXPECT_EQ(EmitWatermarkFile(pdev), 1);  // on every page
  EXPECT_EQ(ReplayCapturedBlock(pdev, 1), 1);
  EXPECT_EQ(Sent(pdev), "[page 1]font definitions;" + watermark + "[page 2]" + watermark + "%!PS block");
  EXPECT_FALSE(pdev->output.channels[3].open) << "a copy closes the file it read";

  // Into the pages file, and a copy of the pages file to the spooler.
  EXPECT_EQ(ReplayCapturedBlock(pdev, 2), 1);
  EXPECT_EQ(ReplayCapturedBlock(pdev, 3), 0);
  Spooler() = SpoolerRecord{};
  EXPECT_TRUE(CopyChannelRange(pdev, 1, 0, 0));
  EXPECT_EQ(Sent(pdev), "%!PS block");
  Spooler() = SpoolerRecord{};
  EXPECT_TRUE(CopyChannelRange(pdev, 3, 8990, 9000));
  EXPECT_EQ(Sent(pdev), watermark.substr(8990));
}

TEST_F(ChannelsTest, WritingAFileReadBackStartsItAnew) {
  PDEV* pdev = NewPdev();
  ASSERT_TRUE(InitChannelFiles(pdev));
  Capture(pdev, kChannelWatermark, "old watermark");
  ASSERT_EQ(EmitWatermarkFile(pdev), 1);
  Capture(pdev, kChannelWatermark, "new");
  EXPECT_EQ(pdev->output.channels[3].bytesWritten, 3u);
  Spooler() = SpoolerRecord{};
  ASSERT_EQ(EmitWatermarkFile(pdev), 1);
  EXPECT_EQ(Sent(pdev), "new");
  // A second copy reads the same content again.
  Spooler() = SpoolerRecord{};
  ASSERT_EQ(EmitWatermarkFile(pdev), 1);
  EXPECT_EQ(Sent(pdev), "new");
}

TEST_F(ChannelsTest, ChannelFileFailuresMarkTheJobFailed) {
  {
    SCOPED_TRACE("a channel file that cannot be created");
    PDEV* pdev = NewPdev();
    ASSERT_TRUE(InitChannelFiles(pdev));
    ASSERT_TRUE(
        RemoveDirectoryA(std::string(pdev->output.jobFolder).substr(0, strlen(pdev->output.jobFolder) - 1).c_str()));
    ASSERT_EQ(SelectOutputChannel(pdev, kChannelPages), 1);
    WriteOut(pdev, kWriteText, 0, "stored page");
    EXPECT_EQ(FlushOutputBuffer(pdev), 0);
    EXPECT_TRUE(OutputFailed(pdev));
    EXPECT_FALSE(pdev->output.channels[1].open);
  }
  {
    SCOPED_TRACE("a copy whose spooler write fails");
    PDEV* pdev = NewPdev();
    ASSERT_TRUE(InitChannelFiles(pdev));
    Capture(pdev, kChannelDownloads, Payload(10000, 3));
    Spooler().policy.failAfter = 5000;
    EXPECT_EQ(EmitDownloadFile(pdev), 0);
    EXPECT_TRUE(OutputFailed(pdev));
    EXPECT_FALSE(pdev->output.channels[2].open) << "the source file is closed";
    EXPECT_EQ(pdev->output.channels[2].file, 0u);
    const std::string folder = pdev->output.jobFolder;
    DeleteChannelFiles(pdev);
    EXPECT_FALSE(WindowsFileExists(folder));
  }
}

TEST_F(ChannelsTest, MovedChannelFilesStayWithTheNewDeviceContext) {
  auto old = std::make_unique<PDEV>();
  ASSERT_EQ(AllocOutputBuffer(old.get()), 1);
  ASSERT_TRUE(InitChannelFiles(old.get()));
  Capture(old.get(), kChannelPages, "page 1;");
  ASSERT_EQ(SelectOutputChannel(old.get(), kChannelPages), 1);
  PDEV* fresh = NewPdev();
  MoveChannelFiles(old.get(), fresh);
  FreeOutputBuffer(old.get());  // the old device context goes, its files do not
  EXPECT_EQ(fresh->output.currentChannel, kChannelPages);
  WriteOut(fresh, kWriteText, 0, "page 2;");
  ASSERT_EQ(FlushOutputBuffer(fresh), 1);
  EXPECT_EQ(ReadWindowsFile(PathOf(fresh, kChannelPages)), "page 1;page 2;");
  EXPECT_EQ(fresh->output.channels[1].bytesWritten, 14u);
}

}  // namespace
