// The cache of model records over printers installed through the real settings
// library: when a record is reused and when it is reloaded (the configuration
// counter raised by another process or by SaveInstalledOptions, a printer without
// a counter, the server-down mark), names that differ only in case, trays and bins
// filtered by the installed options through the real constraint check, and
// records that stay whole for the threads that read them while others reload.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "common/settings_store.h"
#include "model/config_counter.h"
#include "model/installed_options.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

class ModelCache : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    ModelCacheStart(&settings);
  }
  void TearDown() override {
    SetServerDownRecheckInterval(kServerDownRecheckMilliseconds);
    ModelCacheStop();
    ModelTest::TearDown();
  }

  // The colour model with what printer set-up leaves: a counter of 6.
  HANDLE InstallColour(const std::string& utf8Name) {
    HANDLE printer = InstallShipped("nardo-c5545.ini", platform::AnsiFromUtf8(utf8Name));
    SetPrinterDword(printer, "Printer", "Cfg", 6);
    return printer;
  }

  ModelRecord* Get(HANDLE printer, const std::string& utf8Name, int type) {
    std::string name = platform::AnsiFromUtf8(utf8Name);
    return GetModelRecord(printer, name.c_str(), type);
  }

  void SetServerDown(const std::string& utf8Name, DWORD mark) {
    std::string name = platform::AnsiFromUtf8(utf8Name);
    ASSERT_EQ(db.SetDword(0, kStoreUser, name.c_str(), "bServerDown", mark), 0u);
  }

  // Raises the counter from a child process, as the detection program or another
  // driver library would; optionally changes an installed option first.
  void RaiseCounterInAnotherProcess(HANDLE printer, const char* optionKey = nullptr, const char* option = nullptr) {
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      bool ok = true;
      if (optionKey) {
        ok = settings.SetString(printer, kStorePrinterData, "InstallableOptions", optionKey, option) == 0;
      }
      ok = IncrementConfigCounter(settings, printer) == 0 && ok;
      _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
};

std::vector<WORD> TrayIds(const ModelRecord& record) {
  std::vector<WORD> ids;
  for (const PaperSourceEntry& tray : record.paperSources) {
    if (tray.id == 0) break;
    ids.push_back(tray.id);
  }
  return ids;
}

std::vector<WORD> BinIds(const ModelRecord& record) {
  std::vector<WORD> ids;
  for (const OutputBinEntry& bin : record.outputBins) {
    if (bin.id == 0) break;
    ids.push_back(bin.id);
  }
  return ids;
}

TEST_F(ModelCache, SecondRequestReturnsTheCachedRecord) {
  HANDLE printer = InstallColour("Colour Printer");
  ModelRecord* first = Get(printer, "Colour Printer", kModelReloadWhenMissing);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->modelId, 5545);
  EXPECT_EQ(first->configStamp, 6u);
  EXPECT_STREQ(first->printerName, "Colour Printer");
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenMissing), first);
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenChanged), first);
  EXPECT_EQ(FindModelRecord("Colour Printer"), first);

  EXPECT_EQ(GetModelRecord(printer, nullptr, 0), nullptr);
  ModelCacheStop();
  EXPECT_EQ(Get(printer, "Colour Printer", 0), nullptr);
  ModelCacheStart(&settings);
}

TEST_F(ModelCache, CounterRaisedByAnotherProcessReloadsOnlyTypeOne) {
  HANDLE printer = InstallColour("Colour Printer");
  ModelRecord* before = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(before, nullptr);
  ASSERT_EQ(before->options[4].value, 0);
  const auto copy = std::make_unique<ModelRecord>(*before);

  RaiseCounterInAnotherProcess(printer, "5", "1,LCT,1,0;");
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenMissing), before);
  EXPECT_EQ(before->configStamp, 6u);

  ModelRecord* after = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(after, nullptr);
  EXPECT_NE(after, before);
  EXPECT_EQ(after->configStamp, 7u);
  EXPECT_EQ(after->options[4].value, 1);
  // The record handed out before stays as it was, for whoever still reads it.
  EXPECT_EQ(std::memcmp(before, copy.get(), sizeof(ModelRecord)), 0);
  // From now on both types get the new one.
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenMissing), after);
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenChanged), after);
}

TEST_F(ModelCache, NamesThatDifferOnlyInCaseShareARecord) {
  HANDLE office = InstallColour("ソフト表 Office");
  ModelRecord* record = Get(office, "ソフト表 Office", 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(Get(office, "ソフト表 OFFICE", 0), record);
  EXPECT_EQ(Get(office, "ソフト表 office", 1), record);
  EXPECT_EQ(Utf8(record->printerName), "ソフト表 Office");

  // The trail bytes of "ア" and "ヂ" differ only as 'A' and 'a' do: two printers.
  HANDLE a = InstallColour("ア");
  HANDLE di = InstallShipped("nardo-m3020.ini", platform::AnsiFromUtf8("ヂ"));
  SetPrinterDword(di, "Printer", "Cfg", 9);
  ModelRecord* colour = Get(a, "ア", 0);
  ModelRecord* mono = Get(di, "ヂ", 0);
  ASSERT_NE(colour, nullptr);
  ASSERT_NE(mono, nullptr);
  EXPECT_NE(colour, mono);
  EXPECT_EQ(colour->modelId, 5545);
  EXPECT_EQ(mono->modelId, 3020);
  EXPECT_EQ(Get(a, "ア", 0), colour);
}

TEST_F(ModelCache, InstalledOptionsFilterTraysBinsAndDuplex) {
  HANDLE printer = InstallColour("Colour Printer");
  ModelRecord* record = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(record, nullptr);
  // As shipped the large-capacity tray (option 5) is not installed; the finisher
  // (option 1), feed unit (2), duplex unit (3) and booklet unit (7) are.
  EXPECT_EQ(TrayIds(*record), (std::vector<WORD>{1, 2, 3, 4}));
  EXPECT_EQ(BinIds(*record), (std::vector<WORD>{1, 2, 3, 4, 5}));
  EXPECT_NE(record->optionWord & kFeatureDuplex, 0u);

  // The property sheet edits a copy and writes it back, which raises the counter.
  auto edited = std::make_unique<ModelRecord>(*record);
  edited->options[0].value = 0;  // no finisher
  edited->options[2].value = 0;  // no duplex unit
  edited->options[4].value = 1;  // large-capacity tray
  ASSERT_EQ(SaveInstalledOptions(settings, printer, edited.get()), 1);
  DWORD counter = 0;
  ASSERT_TRUE(PrinterDword(printer, "Printer", "Cfg", counter));
  EXPECT_EQ(counter, 7u);

  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenMissing), record);
  ModelRecord* reloaded = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(reloaded, record);
  EXPECT_EQ(reloaded->configStamp, 7u);
  EXPECT_EQ(TrayIds(*reloaded), (std::vector<WORD>{1, 2, 3, 4, 5}));
  EXPECT_EQ(BinIds(*reloaded), (std::vector<WORD>{1, 4}));
  EXPECT_EQ(reloaded->optionWord & kFeatureDuplex, 0u);
  // The record filled the parts the description lacks with defaults, and no more.
  EXPECT_EQ(reloaded->partsLoaded, 0xE3FF9033u);
}

TEST_F(ModelCache, PrinterWithoutCounterIsReloadedOnEveryRequest) {
  HANDLE printer = InstallShipped("nardo-m3020.ini", "Mono Printer");
  DeletePrinterValue(printer, "Printer", "Cfg");
  ModelRecord* record = Get(printer, "Mono Printer", 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->configStamp, 0u);
  EXPECT_EQ(record->modelId, 3020);
  // Reloaded, but the same content keeps the same record.
  EXPECT_EQ(Get(printer, "Mono Printer", 0), record);

  // A change nobody announced is seen by the next request all the same: the
  // lower tray (option 1) installed brings tray 3 back.
  EXPECT_EQ(TrayIds(*record), (std::vector<WORD>{1, 2}));
  SetPrinterString(printer, "InstallableOptions", "1", "1,Lower tray,1,0;");
  ModelRecord* changed = Get(printer, "Mono Printer", 0);
  ASSERT_NE(changed, record);
  EXPECT_EQ(changed->options[0].value, 1);
  EXPECT_EQ(TrayIds(*changed), (std::vector<WORD>{1, 2, 3}));
  EXPECT_EQ(record->options[0].value, 0);
}

TEST_F(ModelCache, RecordIsNeverHandedOutUnloadedWhileTheServerIsMarkedDown) {
  HANDLE printer = InstallColour("Colour Printer");
  SetServerDown("Colour Printer", 1);
  ModelRecord* record = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(record, nullptr);
  EXPECT_NE(record->partsLoaded, 0u);
  EXPECT_EQ(record->papers[0].id, 1);
  EXPECT_EQ(record->modelId, 5545);
  EXPECT_EQ(record->configStamp, 6u);

  // While the mark stands, a loaded record is not reloaded from the server.
  RaiseCounterInAnotherProcess(printer);
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenChanged), record);
  EXPECT_EQ(record->configStamp, 6u);

  // Once the mark is cleared, the next request reloads.
  SetServerDown("Colour Printer", 0);
  ModelRecord* reloaded = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  EXPECT_NE(reloaded, record);
  EXPECT_EQ(reloaded->configStamp, 7u);
}

TEST_F(ModelCache, StandingServerDownMarkIsRecheckedAfterItsInterval) {
  HANDLE printer = InstallColour("Colour Printer");
  ModelRecord* record = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(record, nullptr);
  SetServerDown("Colour Printer", 1);
  RaiseCounterInAnotherProcess(printer);

  // The default interval holds the record back request after request.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenChanged), record);

  // With the interval passed, the next request tries the server, which answers.
  SetServerDownRecheckInterval(0);
  ModelRecord* reloaded = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  EXPECT_NE(reloaded, record);
  EXPECT_EQ(reloaded->configStamp, 7u);
}

// A server that does not answer: the printer's data cannot be read.
PFN_DBGetDword g_realGetDword = nullptr;
std::atomic<bool> g_serverSilent{false};
DWORD SilentServerGetDword(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD* value) {
  if (g_serverSilent && kind == kStorePrinterData) return ERROR_NOT_READY;
  return g_realGetDword(printer, kind, section, key, value);
}

TEST_F(ModelCache, RecheckOfASilentServerKeepsTheRecordItHas) {
  HANDLE printer = InstallColour("Colour Printer");
  SettingsFunctions flaky = settings;
  g_realGetDword = settings.getDword;
  flaky.getDword = SilentServerGetDword;
  ModelCacheStop();
  ModelCacheStart(&flaky);
  SetServerDownRecheckInterval(0);

  ModelRecord* record = Get(printer, "Colour Printer", kModelReloadWhenChanged);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->configStamp, 6u);
  SetServerDown("Colour Printer", 1);
  g_serverSilent = true;
  // The first request sees the mark; the next ones recheck and get no answer.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenChanged), record);
  EXPECT_EQ(record->configStamp, 6u);
  g_serverSilent = false;
  RaiseCounterInAnotherProcess(printer);
  EXPECT_EQ(Get(printer, "Colour Printer", kModelReloadWhenChanged)->configStamp, 7u);
}

TEST_F(ModelCache, ForgottenRecordIsLoadedAfreshAndStaysReadable) {
  HANDLE printer = InstallColour("Colour Printer");
  ModelRecord* record = Get(printer, "Colour Printer", 0);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(FreeModelRecords("COLOUR PRINTER"), 0);
  ModelRecord* fresh = Get(printer, "Colour Printer", 0);
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, record);
  EXPECT_EQ(record->modelId, 5545);
  EXPECT_EQ(fresh->modelId, 5545);

  // An unknown name gets an empty record of its own, which a request then loads.
  ModelRecord* empty = FindModelRecord("Colour printer 2");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->partsLoaded, 0u);
  EXPECT_EQ(empty->printerName[0], 0);

  EXPECT_EQ(FreeModelRecords(nullptr), 0);
  EXPECT_NE(Get(printer, "Colour Printer", 0), nullptr);
}

// Readers on several threads keep reading the records they were given while a
// writer raises the counter and reloads go on: no record ever changes under a
// reader (a record refilled in place would be seen half zeroed).
TEST_F(ModelCache, RecordsStayWholeForReadersWhileOthersReload) {
  HANDLE printer = InstallColour("Colour Printer");
  std::atomic<bool> done{false};
  std::atomic<int> failures{0};
  std::atomic<int> reloads{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&] {
      ModelRecord* last = nullptr;
      auto copy = std::make_unique<ModelRecord>();
      while (!done) {
        ModelRecord* record = GetModelRecord(printer, "Colour Printer", kModelReloadWhenChanged);
        if (!record || record->modelId != 5545 || record->papers[0].id == 0) ++failures;
        if (!record) continue;
        if (record != last) {
          std::memcpy(copy.get(), record, sizeof(ModelRecord));
          last = record;
          ++reloads;
        }
        std::this_thread::yield();
        if (std::memcmp(copy.get(), record, sizeof(ModelRecord)) != 0) ++failures;
      }
    });
  }
  for (int i = 0; i < 20; ++i) {
    const char* value = i % 2 ? "1,LCT,1,0;" : "1,LCT,0,0;";
    ASSERT_EQ(settings.SetString(printer, kStorePrinterData, "InstallableOptions", "5", value), 0u);
    ASSERT_EQ(IncrementConfigCounter(settings, printer), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  done = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(failures, 0);
  EXPECT_GT(reloads, 4);
}

}  // namespace
}  // namespace modeltest
