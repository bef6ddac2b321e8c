// Cost of one settings read through zeldb5.dll, per store: the driver libraries
// read their model description and printer data key by key, so each read must
// be a lookup in memory, not a query or a file read.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "tests/support/settings_library.h"
#include "tools/machinesetup/printer_install.h"

namespace {

struct Machine {
  testsupport::SettingsLibrary db;
  HANDLE printer = 0;
  std::filesystem::path root;

  Machine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
    root = mkdtemp(pattern.data());
    platform::SetMachineRoot(root);
    platform::EnsureMachineFolders();
    std::filesystem::path model = root / "model.ini";
    std::ofstream(model) << "[General]\nModelName=Bench Model\nFormatVersion=5\nCompany=%Maker%\n"
                            "[Strings]\nMaker=Nardo\n";
    std::string error;
    machinesetup::InstallPrinter({"Bench Printer", model, machinesetup::BuiltDriverFolder()}, error);
    db.Load(machinesetup::BuiltDriverFolder());
    OpenPrinterA(const_cast<char*>("Bench Printer"), &printer, nullptr);
    db.SetDword(printer, 0, "Printer", "Cfg", 6);
    db.SetString(0, 1, "Profiles", "Current", "Draft");
  }
  ~Machine() {
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

void PrinterDataNumber(benchmark::State& state) {
  Machine& m = TheMachine();
  for (auto _ : state) {
    DWORD value = 0;
    benchmark::DoNotOptimize(m.db.GetDword(m.printer, 0, "Printer", "Cfg", &value));
  }
}
BENCHMARK(PrinterDataNumber);

void ModelDescriptionString(benchmark::State& state) {
  Machine& m = TheMachine();
  char text[64];
  for (auto _ : state) {
    DWORD size = sizeof text;
    benchmark::DoNotOptimize(m.db.GetString(m.printer, 3, "General", "ModelName", text, &size));
  }
}
BENCHMARK(ModelDescriptionString);

void UserRegistryString(benchmark::State& state) {
  Machine& m = TheMachine();
  char text[64];
  for (auto _ : state) {
    DWORD size = sizeof text;
    benchmark::DoNotOptimize(m.db.GetString(0, 1, "Profiles", "Current", text, &size));
  }
}
BENCHMARK(UserRegistryString);

}  // namespace

BENCHMARK_MAIN();
