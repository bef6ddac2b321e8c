// The instance registry in PRMONSET.INI and the per-printer IDX archive.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "monitor/event_notification.h"
#include "monitor/instance_registry.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/profile.h"
#include "tests/monitor/engine_fixture.h"

namespace monitortest {
namespace {

class Registry : public MonitorTest {
 protected:
  std::string Ini(const char* section, const char* key) {
    return DP_ReadProfileString(section, key, IniPath().c_str());
  }
};

TEST_F(Registry, ANewPrinterGetsTheFirstFreeIdxFile) {
  PM_CPrintMonitorIDXFile first(kPrinter, "1.0");
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(Ini(kPrinter, "IDXFileName"), DataFolder() + "\\PM0.IDX");
  EXPECT_EQ(Ini(kPrinter, "FileVersion"), "1.0");
  std::ofstream(Host(DataFolder() + "\\PM1.IDX")) << "taken";
  PM_CPrintMonitorIDXFile second("Other", "1.0");
  EXPECT_EQ(Ini("Other", "IDXFileName"), DataFolder() + "\\PM2.IDX");
  EXPECT_EQ(ReadFile(DataFolder() + "\\PM1.IDX"), "taken") << "an existing file is never taken over";
  EXPECT_EQ(second.AddPrinter("Other"), -1) << "registered already";
  EXPECT_FALSE(std::filesystem::exists(Host(DataFolder() + "\\PM3.IDX")));
}

TEST_F(Registry, HandlesVersionsAndModes) {
  PM_CPrintMonitorIDXFile registry(kPrinter, "1.0");
  WritePrivateProfileStringA(kPrinter, "PMHandleL", "1234", IniPath().c_str());
  WritePrivateProfileStringA(kPrinter, "PMHandleH", "1", IniPath().c_str());
  auto entry = registry.GetPrinterInfo(kPrinter);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->window, (uint64_t{1} << 32) + 1234);
  entry->window = 0x200000005ull;
  registry.UpdateIndexEngry(kPrinter, *entry);
  EXPECT_EQ(Ini(kPrinter, "PMHandleL"), "5");
  EXPECT_EQ(Ini(kPrinter, "PMHandleH"), "2");
  EXPECT_FALSE(registry.GetPrinterInfo("Unknown"));

  const std::string idx = entry->idxFileName;
  std::ofstream(Host(idx)) << "old";
  PM_CPrintMonitorIDXFile sameVersion(kPrinter, "1.0");
  EXPECT_TRUE(std::filesystem::exists(Host(idx)));
  PM_CPrintMonitorIDXFile newVersion(kPrinter, "2.0");
  EXPECT_FALSE(std::filesystem::exists(Host(idx))) << "another version's file is dropped";
  EXPECT_EQ(Ini(kPrinter, "FileVersion"), "2.0");

  std::ofstream(Host(idx)) << "left by a broken run";
  WritePrivateProfileStringA(kPrinter, "IDXFileMode", "Delete", IniPath().c_str());
  PM_CPrintMonitorIDXFile afterCrash(kPrinter, "2.0");
  EXPECT_FALSE(std::filesystem::exists(Host(idx)));
  EXPECT_EQ(Ini(kPrinter, "IDXFileMode"), "Start");

  EXPECT_EQ(afterCrash.DeletePrinter(kPrinter), 0);
  EXPECT_EQ(Ini(kPrinter, "IDXFileName"), "DP_NONE");
}

class IdxFile : public EngineTest {
 protected:
  std::vector<std::string> IdxFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Host(DataFolder()))) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".IDX") == 0) names.push_back(name);
    }
    return names;
  }
};

// The verbs that end at once, for a printer the registry does not know, leave
// no archive behind: each would take one of the numbers for good.
TEST_F(IdxFile, VerbsThatEndAtOnceLeaveNoFileForAnUnknownPrinter) {
  const struct {
    const char* verb;
    size_t files;
    bool registered;
  } cases[] = {
      {"DELETE", 0, false},       {"QUEUE_CHANGED", 0, false},
      {"PORT_CHANGED", 0, false}, {"NEW_PRINTMONITOR_VERSION", 0, false},
      {"ADD_NEW_PM", 1, true},
  };
  for (const auto& c : cases) {
    {
      PM_CEngine once(PM_CCommandLine(std::string("x _(") + kPrinter + ")_ " + c.verb));
      EXPECT_EQ(once.Start(), 0) << c.verb;
    }
    EXPECT_EQ(IdxFiles().size(), c.files) << c.verb;
    EXPECT_EQ(DP_ReadProfileString(kPrinter, "IDXFileName", IniPath().c_str()) != "DP_NONE", c.registered) << c.verb;
    // Back to a printer without an entry or a file.
    PM_CPrintMonitorIDXFile(kPrinter, IdxFileUse::ExistingOnly).DeletePrinter(kPrinter);
    for (const std::string& name : IdxFiles()) std::filesystem::remove(Host(DataFolder() + "\\" + name));
  }
}

TEST_F(IdxFile, EventsJobsAndSettingsComeBack) {
  StartEngine("JOB_STARTED 17 a.doc");
  engine->SetCloseAfterLastJob(0);
  engine->Agents().Category(1)->m_Logging = 1;
  auto* agent = engine->Agents().Category(1)->m_EventAgentsArray[1].get();
  agent->GetNotification()->SetFlags(0x13);
  PM_CEvent* jam = engine->Agents().CreateEventForCode(40008);
  engine->Data().AddEvent(jam);
  EventRelease(jam);
  PM_CEvent* start = engine->Agents().CreateEventForCode(1);
  JobBlock block{};
  block.jobValue = 7;
  std::strcpy(block.name, "a.doc");
  start->SetJob(block);
  engine->Data().AddEvent(start);
  EventRelease(start);
  engine->Data().GetJob(0)->printerJobNumber = 99;
  engine->SaveIdx();
  EXPECT_EQ(engine->Data().GetJobCount(), 1u) << "saving leaves the running monitor's jobs";
  EXPECT_EQ(ReadFile(engine->IdxFilePath()).substr(0, 8), std::string("\0\0\0\0\x1E\0\0\0", 8));
  StopEngine();

  now += 5;
  StartEngine();
  // The store's value (none: 1) stands over the archive's.
  EXPECT_EQ(engine->CloseAfterLastJob(), 1);
  EXPECT_EQ(engine->Agents().Category(1)->m_Logging, 1);
  EXPECT_EQ(engine->Agents().Category(1)->m_EventAgentsArray[1]->GetNotification()->Flags(), 0x13);
  ASSERT_EQ(engine->Data().Events().size(), 2u);
  int32_t code = 0;
  engine->Data().Events().front()->Command(kEventGetCode, &code);
  EXPECT_EQ(code, 1) << "newest first";
  ASSERT_NE(engine->Data().Events().front()->Job(), nullptr);
  EXPECT_STREQ(engine->Data().Events().front()->Job()->name, "a.doc");
  EXPECT_EQ(engine->Data().Events().front()->ArrivalTime(), now - 5);
  ASSERT_EQ(engine->Data().GetJobCount(), 1u);
  EXPECT_EQ(engine->Data().GetJob(0)->spoolerJobId, 17u);
  EXPECT_EQ(engine->Data().GetJob(0)->printerJobNumber, 0) << "not archived";
}

TEST_F(IdxFile, ADamagedFileGivesDefaultsOnce) {
  StartEngine("JOB_STARTED 17 a.doc");
  PM_CEvent* jam = engine->Agents().CreateEventForCode(40008);
  engine->Data().AddEvent(jam);
  EventRelease(jam);
  engine->SaveIdx();
  const std::string idx = engine->IdxFilePath();
  StopEngine();
  const std::string whole = ReadFile(idx);
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string hugeCount = whole;
  // The event count sits after the settings and the categories: find it as
  // the 64-bit 1 before the agent code 40008.
  const std::string code("\x48\x9C\x00\x00", 4);
  const size_t at = hugeCount.find(std::string("\x01\0\0\0\0\0\0\0", 8) + code);
  ASSERT_NE(at, std::string::npos);
  hugeCount.replace(at, 8, std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x0F", 8));
  for (const Case& c :
       {Case{"cut", whole.substr(0, whole.size() - 3)}, Case{"huge count", hugeCount}, Case{"empty", ""}}) {
    std::ofstream(Host(idx), std::ios::binary | std::ios::trunc) << c.bytes;
    StartEngine();
    EXPECT_EQ(engine->Data().Events().size(), 0u) << c.what;
    EXPECT_EQ(engine->Data().GetJobCount(), 0u) << c.what;
    EXPECT_EQ(engine->CloseAfterLastJob(), 1) << c.what;
    // Rewritten with defaults: warnings on, job agents off.
    EXPECT_EQ(engine->Agents().Category(0)->m_EventAgentsArray[0]->IsEnabled(0), 1) << c.what;
    EXPECT_EQ(engine->Agents().Category(2)->m_EventAgentsArray[0]->IsEnabled(0), 0) << c.what;
    StopEngine();
  }
}

TEST_F(IdxFile, AJobBlockOfAnotherSizeIsRefused) {
  StartEngine("JOB_STARTED 17 a.doc");
  PM_CEvent* start = engine->Agents().CreateEventForCode(1);
  JobBlock block{};
  block.jobValue = 7;
  std::strcpy(block.name, "a.doc");
  start->SetJob(block);
  engine->Data().AddEvent(start);
  EventRelease(start);
  engine->SaveIdx();
  const std::string idx = engine->IdxFilePath();
  StopEngine();
  std::string bytes = ReadFile(idx);
  const std::string whole = std::string("\x5C\0", 2) + std::string(4, '\0') + std::string("\x07\0\0\0a.doc", 9);
  const size_t at = bytes.find(whole);
  ASSERT_NE(at, std::string::npos);
  // Ten bytes of the block behind a length of ten; the rest of it gone.
  bytes.replace(at, 2 + 92, std::string("\x0A\0", 2) + bytes.substr(at + 2, 10));
  std::ofstream(Host(idx), std::ios::binary | std::ios::trunc) << bytes;
  StartEngine();
  EXPECT_EQ(engine->Data().Events().size(), 0u);
  EXPECT_EQ(engine->Data().GetJobCount(), 0u);
}

TEST_F(IdxFile, QueueAndPortChangesAreNotSaved) {
  for (const char* verb : {"QUEUE_CHANGED", "PORT_CHANGED", "NORMAL"}) {
    StartEngine();
    engine->OnCommandLine("x _(Laser 1)_ JOB_STARTED 5 kept?");
    engine->OnCommandLine(std::string("x _(Laser 1)_ ") + verb);
    const std::string idx = engine->IdxFilePath();
    StopEngine();
    EXPECT_EQ(ReadFile(idx).find("kept?") != std::string::npos, std::string(verb) == "NORMAL") << verb;
    std::ofstream(Host(idx), std::ios::trunc).close();
  }
}

}  // namespace
}  // namespace monitortest

namespace monitortest {
namespace {

// A missing or discarded archive (first start, another version, a broken run)
// is written again with defaults; the user's refresh choice in the store stays.
TEST_F(IdxFile, ARewrittenArchiveKeepsTheUsersRefreshSettings) {
  ASSERT_EQ(db.SetDword(0, kStoreUser, kPrinter, "PmAutomaticRefresh", 1), 0u);
  ASSERT_EQ(db.SetDword(0, kStoreUser, kPrinter, "PmRefreshRate", 12), 0u);
  StartEngine();
  EXPECT_EQ(engine->AutomaticRefresh(), 1);
  EXPECT_EQ(engine->RefreshRate(), 12u);
  const std::string idx = engine->IdxFilePath();
  StopEngine();
  std::ofstream(Host(idx), std::ios::binary | std::ios::trunc) << "broken";
  StartEngine();
  EXPECT_EQ(engine->AutomaticRefresh(), 1);
  EXPECT_EQ(engine->RefreshRate(), 12u);
  DWORD automatic = 0;
  ASSERT_EQ(db.GetDword(0, kStoreUser, kPrinter, "PmAutomaticRefresh", &automatic), 0u);
  EXPECT_EQ(automatic, 1u);
}

}  // namespace
}  // namespace monitortest
