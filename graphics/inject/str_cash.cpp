#include "graphics/inject/inject_data.h"

#include <cstring>

#include "graphics/util/graphics_heap.h"

CStrCash::~CStrCash() { ReleaseEntries(); }

void* CStrCash::operator new(size_t bytes, const std::nothrow_t&) noexcept { return GraphicsHeapAlloc(bytes); }

void CStrCash::operator delete(void* block) noexcept { GraphicsHeapFree(block); }

void CStrCash::operator delete(void* block, const std::nothrow_t&) noexcept { GraphicsHeapFree(block); }

bool CStrCash::ReserveEntries() {
  if (entries_ != nullptr) return true;
  entries_ = static_cast<Entry*>(GraphicsHeapAlloc(kGrowBy * sizeof(Entry)));
  if (entries_ == nullptr) return false;
  capacity_ = kGrowBy;
  return true;
}

bool CStrCash::Append(const void* data, DWORD length) {
  if (length != 0 && data == nullptr) return false;
  if (length > kMaxTotalLength - totalLength_) return false;
  if (static_cast<DWORD>(lastIndex_ + 1) == capacity_) {
    if (capacity_ > SIZE_MAX / sizeof(Entry) - kGrowBy || capacity_ > 0x7FFFFFFF - kGrowBy) return false;
    const DWORD grown = capacity_ + kGrowBy;
    auto* entries = static_cast<Entry*>(GraphicsHeapRealloc(entries_, grown * sizeof(Entry)));
    if (entries == nullptr) return false;
    std::memset(entries + capacity_, 0, kGrowBy * sizeof(Entry));
    entries_ = entries;
    capacity_ = grown;
  }
  // The copy keeps every byte, NULs included, and a terminator after them.
  auto* copy = static_cast<BYTE*>(GraphicsHeapAlloc(static_cast<size_t>(length) + 1));
  if (copy == nullptr) return false;
  if (length != 0) std::memcpy(copy, data, length);
  ++lastIndex_;
  totalLength_ += length;
  entries_[lastIndex_] = Entry{length, copy};
  return true;
}

void CStrCash::Clear() {
  for (int32_t i = 0; i <= lastIndex_; ++i) {
    GraphicsHeapFree(entries_[i].data);
    entries_[i] = Entry{0, nullptr};
  }
  lastIndex_ = -1;
  totalLength_ = 0;
}

void CStrCash::ReleaseEntries() {
  Clear();
  GraphicsHeapFree(entries_);
  entries_ = nullptr;
  capacity_ = 0;
}

void CStrCash::CopyTo(void* out) const {
  auto* target = static_cast<BYTE*>(out);
  for (int32_t i = 0; i <= lastIndex_; ++i) {
    if (entries_[i].length == 0) continue;
    std::memcpy(target, entries_[i].data, entries_[i].length);
    target += entries_[i].length;
  }
}
