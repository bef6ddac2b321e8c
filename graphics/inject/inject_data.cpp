#include "graphics/inject/inject_data.h"

#include "graphics/util/graphics_heap.h"

CInjectData::~CInjectData() { ReleasePoints(); }

void* CInjectData::operator new(size_t bytes, const std::nothrow_t&) noexcept { return GraphicsHeapAlloc(bytes); }

void CInjectData::operator delete(void* block) noexcept { GraphicsHeapFree(block); }

void CInjectData::operator delete(void* block, const std::nothrow_t&) noexcept { GraphicsHeapFree(block); }

bool CInjectData::InitialisePoints() {
  for (CStrCash*& point : points_) {
    delete point;
    point = new (std::nothrow) CStrCash();
    if (point == nullptr || !point->ReserveEntries()) return false;
  }
  return true;
}

void CInjectData::ReleasePoints() {
  for (CStrCash*& point : points_) {
    delete point;
    point = nullptr;
  }
}

CStrCash* CInjectData::Point(int index) const { return index >= 0 && index < kPointCount ? points_[index] : nullptr; }
