#include "graphics/util/diagnostic.h"

#include <atomic>

namespace {

std::atomic<DiagnosticObserver> g_observer{nullptr};

}  // namespace

void ReportDiagnostic(const char* tag) {
  if (DiagnosticObserver observer = g_observer.load()) observer(tag != nullptr ? tag : "");
}

DiagnosticObserver SetDiagnosticObserver(DiagnosticObserver observer) { return g_observer.exchange(observer); }
