// The PostScript injection store of a device context: the text an application
// handed over for each named place of the job (POSTSCRIPT_INJECTION), kept until
// the job writers reach that place. The operations on a device context's store
// are in graphics/inject/injection_store.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/base/types.h"

// The text of one injection point: the pieces in their order of arrival. Pieces
// are kept as counted bytes, so binary data with embedded NUL bytes survives.
class CStrCash {
 public:
  // Entries of the first piece array and of each growth step.
  static constexpr DWORD kGrowBy = 100;
  // The total is reported as an int: a point never holds more than this.
  static constexpr DWORD kMaxTotalLength = 0x7FFFFFFF;

  CStrCash() = default;
  virtual ~CStrCash();
  CStrCash(const CStrCash&) = delete;
  CStrCash& operator=(const CStrCash&) = delete;

  // Objects live on the graphics heap; creation answers nullptr when out of memory.
  static void* operator new(size_t bytes, const std::nothrow_t&) noexcept;
  static void operator delete(void* block) noexcept;
  static void operator delete(void* block, const std::nothrow_t&) noexcept;

  // Allocates the first (zeroed) array of kGrowBy entries when there is none.
  bool ReserveEntries();
  // Appends a copy of the piece. False, with nothing stored, when memory runs out
  // or the point would outgrow kMaxTotalLength.
  bool Append(const void* data, DWORD length);
  // Frees every piece; the entry array stays.
  void Clear();
  // Frees every piece and the entry array.
  void ReleaseEntries();
  // Copies the pieces back to back into out (TotalLength() bytes, no terminator).
  void CopyTo(void* out) const;

  DWORD Capacity() const { return capacity_; }
  int32_t LastIndex() const { return lastIndex_; }
  DWORD TotalLength() const { return totalLength_; }

 private:
  struct Entry {
    DWORD length;
    BYTE* data;  // length bytes and a zero byte, owned
  };

  DWORD capacity_ = 0;
  int32_t lastIndex_ = -1;
  DWORD totalLength_ = 0;
  Entry* entries_ = nullptr;
};

// One CStrCash per injection point; owned by its PDEV.
class CInjectData {
 public:
  static constexpr int kPointCount = 31;

  CInjectData() = default;
  virtual ~CInjectData();
  CInjectData(const CInjectData&) = delete;
  CInjectData& operator=(const CInjectData&) = delete;

  static void* operator new(size_t bytes, const std::nothrow_t&) noexcept;
  static void operator delete(void* block) noexcept;
  static void operator delete(void* block, const std::nothrow_t&) noexcept;

  // Gives every point a fresh, empty text (an existing one is destroyed first).
  // False when memory ran out; the points made so far stay.
  bool InitialisePoints();
  // Destroys every point's text; the slots become empty.
  void ReleasePoints();
  // The text of point `index` (0-30), nullptr when the slot is empty or the index
  // is out of range.
  CStrCash* Point(int index) const;

 private:
  CStrCash* points_[kPointCount] = {};
};
