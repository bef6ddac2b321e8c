#include "graphics/util/graphics_heap.h"

#include <atomic>
#include <cstdlib>

namespace {

// Allocations still allowed before they start to fail; negative: unlimited.
std::atomic<int> g_allowedAllocations{-1};

bool AllocationAllowed() {
  int allowed = g_allowedAllocations.load(std::memory_order_relaxed);
  while (allowed >= 0) {
    if (allowed == 0) return false;
    if (g_allowedAllocations.compare_exchange_weak(allowed, allowed - 1, std::memory_order_relaxed)) return true;
  }
  return true;
}

}  // namespace

void* GraphicsHeapAlloc(size_t bytes) {
  if (!AllocationAllowed()) return nullptr;
  return std::calloc(bytes == 0 ? 1 : bytes, 1);
}

void* GraphicsHeapRealloc(void* block, size_t bytes) {
  if (!AllocationAllowed()) return nullptr;
  return std::realloc(block, bytes == 0 ? 1 : bytes);
}

void GraphicsHeapFree(void* block) { std::free(block); }

void FailGraphicsHeapAfter(int successes) { g_allowedAllocations.store(successes < 0 ? -1 : successes); }
