#include "platform/spooler/sheet_runner.h"

#include <atomic>

namespace platform::spooler {
namespace {
std::atomic<SheetRunner> g_runner{nullptr};
}  // namespace

void SetSheetRunner(SheetRunner runner) { g_runner.store(runner); }
SheetRunner GetSheetRunner() { return g_runner.load(); }

}  // namespace platform::spooler
