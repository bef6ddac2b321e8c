// What a driver library pays for a printer's model record: the first load into a
// fresh cache (every part and feature of the colour model, read key by key through
// zeldb5.dll) and a cached request, beside one parse of the same model description
// file. The cold load should stay within ten parses, a cached request well under a
// microsecond.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/ini_files.h"
#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "tests/support/settings_library.h"
#include "tools/machinesetup/printer_install.h"

namespace {

constexpr char kPrinter[] = "Colour Printer";

struct Machine {
  testsupport::SettingsLibrary db;
  SettingsFunctions settings;
  HANDLE printer = 0;
  std::string dataFile;  // the model description's Windows path, UTF-8
  std::filesystem::path root;

  Machine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
    root = mkdtemp(pattern.data());
    platform::SetMachineRoot(root);
    platform::EnsureMachineFolders();
    std::string error;
    const std::filesystem::path model = std::filesystem::path(ZEL_SOURCE_DIR) / "data/models/nardo-c5545.ini";
    if (!machinesetup::InstallPrinter({kPrinter, model, machinesetup::BuiltDriverFolder()}, error)) abort();
    if (!db.Load(machinesetup::BuiltDriverFolder())) abort();
    OpenPrinterA(const_cast<char*>(kPrinter), &printer, nullptr);
    if (!printer) abort();
    settings = db.Functions();
    db.SetDword(printer, 0, "Printer", "Cfg", 6);

    DWORD needed = 0;
    GetPrinterDriverA(printer, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    if (!GetPrinterDriverA(printer, nullptr, 2, info.data(), needed, &needed)) abort();
    dataFile = platform::Utf8FromAnsi(reinterpret_cast<const DRIVER_INFO_2A*>(info.data())->pDataFile);
    ModelCacheStart(&settings);
  }
  ~Machine() {
    ModelCacheStop();
    ClosePrinter(printer);
    db.Unload();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

// One parse of the model description: the file is read and parsed afresh.
void ParseModelDescription(benchmark::State& state) {
  Machine& m = TheMachine();
  for (auto _ : state) {
    platform::ForgetIniFiles();
    benchmark::DoNotOptimize(platform::ReadIniFile(m.dataFile).document);
  }
}
BENCHMARK(ParseModelDescription);

// The first request of a fresh cache: every key read through the settings library
// (whose parsed copy of the file is already in memory, as in any running library).
void ColdModelRecord(benchmark::State& state) {
  Machine& m = TheMachine();
  for (auto _ : state) {
    state.PauseTiming();
    FreeModelRecords(nullptr);
    state.ResumeTiming();
    ModelRecord* record = GetModelRecord(m.printer, kPrinter, kModelReloadWhenChanged);
    if (!record || record->modelId != 5545) state.SkipWithError("no record");
    benchmark::DoNotOptimize(record);
  }
}
BENCHMARK(ColdModelRecord)->Unit(benchmark::kMicrosecond);

// The same with the file's parse as well: the first request after the file changed.
void ColdModelRecordAndParse(benchmark::State& state) {
  Machine& m = TheMachine();
  for (auto _ : state) {
    state.PauseTiming();
    FreeModelRecords(nullptr);
    platform::ForgetIniFiles();
    state.ResumeTiming();
    benchmark::DoNotOptimize(GetModelRecord(m.printer, kPrinter, kModelReloadWhenChanged));
  }
}
BENCHMARK(ColdModelRecordAndParse)->Unit(benchmark::kMicrosecond);

// A cached record, "Printer"/"Cfg" unchanged: type 1 compares the counter.
void WarmModelRecordCompared(benchmark::State& state) {
  Machine& m = TheMachine();
  GetModelRecord(m.printer, kPrinter, kModelReloadWhenChanged);
  for (auto _ : state) benchmark::DoNotOptimize(GetModelRecord(m.printer, kPrinter, kModelReloadWhenChanged));
}
BENCHMARK(WarmModelRecordCompared);

// A cached record, type 0: no settings read at all.
void WarmModelRecord(benchmark::State& state) {
  Machine& m = TheMachine();
  GetModelRecord(m.printer, kPrinter, kModelReloadWhenMissing);
  for (auto _ : state) benchmark::DoNotOptimize(GetModelRecord(m.printer, kPrinter, kModelReloadWhenMissing));
}
BENCHMARK(WarmModelRecord);

}  // namespace

BENCHMARK_MAIN();
