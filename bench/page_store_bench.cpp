// What the page store costs: a PostScript job of N pages printed plainly,
// beside the same pages stored and sent back at the document end (a booklet
// with front and back covers and an interleaf sheet after every page). The
// stored job should stay within three times the plain one, and both should
// grow linearly with the pages: compare the time per page across N.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "platform/base/machine.h"
#include "platform/gdi/drawing.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace {

constexpr char kPrinter[] = "Colour Printer";
constexpr char kJobFile[] = "C:\\page-store-bench.prn";

struct Machine {
  std::filesystem::path root;
  std::vector<BYTE> plain;   // the driver's device mode
  std::vector<BYTE> stored;  // the same with booklet, covers and interleaf

  Machine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zel-bench-XXXXXX").string();
    root = mkdtemp(pattern.data());
    platform::SetMachineRoot(root);
    platform::EnsureMachineFolders();
    std::string error;
    const std::filesystem::path model = std::filesystem::path(ZEL_SOURCE_DIR) / "data/models/nardo-c5545.ini";
    if (!machinesetup::InstallPrinter({kPrinter, model, machinesetup::BuiltDriverFolder()}, error)) abort();
    std::string name = kPrinter;
    const LONG size = DocumentPropertiesA(0, 0, name.data(), nullptr, nullptr, 0);
    if (size <= 0) abort();
    plain.resize(static_cast<size_t>(size));
    auto* dm = reinterpret_cast<DEVMODEA*>(plain.data());
    if (DocumentPropertiesA(0, 0, name.data(), dm, nullptr, DM_OUT_BUFFER) != 1) abort();
    if (dm->dmDriverExtra != sizeof(XDEVMODE_PRIVATE)) abort();
    std::vector<BYTE> asked = plain;
    XDEVMODE_PRIVATE extra;
    auto* askedDm = reinterpret_cast<DEVMODEA*>(asked.data());
    std::memcpy(&extra, asked.data() + askedDm->dmSize, sizeof extra);
    extra._nBooklet = 1;
    extra._epFrontCover.on = 1;
    extra._epBackCover.on = 1;
    extra.epInterleaf.on = 1;
    std::memcpy(asked.data() + askedDm->dmSize, &extra, sizeof extra);
    askedDm->dmFields = 0;
    stored.resize(plain.size());
    if (DocumentPropertiesA(0, 0, name.data(), reinterpret_cast<DEVMODEA*>(stored.data()), askedDm,
                            DM_IN_BUFFER | DM_OUT_BUFFER) != 1)
      abort();
    std::memcpy(&extra, stored.data() + askedDm->dmSize, sizeof extra);
    if (extra._nBooklet != 1 || extra.epInterleaf.on == 0) abort();  // the driver kept the layout asked for
  }
  ~Machine() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

// One job of `pages` pages, each with a bar whose length tells the page.
bool PrintJob(const std::vector<BYTE>& devMode, long pages) {
  HDC dc = CreateDCA("WINSPOOL", kPrinter, nullptr, reinterpret_cast<const DEVMODEA*>(devMode.data()));
  if (!dc) return false;
  DOCINFOA doc{sizeof(DOCINFOA), "Bench", kJobFile, nullptr, 0};
  bool ok = StartDocA(dc, &doc) > 0;
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, black);
  for (long page = 1; ok && page <= pages; ++page) {
    ok = StartPage(dc) > 0;
    ok = ok && Rectangle(dc, 600, 600, 640 + static_cast<int>(page % 100) * 40, 700) != 0;
    ok = ok && EndPage(dc) > 0;
  }
  ok = ok ? EndDoc(dc) > 0 : (AbortDoc(dc), false);
  SelectObject(dc, oldBrush);
  DeleteObject(black);
  DeleteDC(dc);
  return ok;
}

void Job(benchmark::State& state, bool storedPages) {
  Machine& m = TheMachine();
  const long pages = static_cast<long>(state.range(0));
  for (auto _ : state) {
    if (!PrintJob(storedPages ? m.stored : m.plain, pages)) state.SkipWithError("the job failed");
  }
  // Time per page: flat across the page counts when the cost is linear.
  state.counters["page"] = benchmark::Counter(
      static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void PlainJob(benchmark::State& state) { Job(state, false); }
void BookletCoversInterleafJob(benchmark::State& state) { Job(state, true); }

BENCHMARK(PlainJob)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BookletCoversInterleafJob)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
