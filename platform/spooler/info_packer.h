// Lays out the spooler's info records as Windows does: an array of fixed records at
// the start of the caller's buffer, their strings and device modes packed after it.
// The layout is run twice, once to measure and once to write, so the size a first
// call reports is exactly what the second call writes.
#pragma once

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/types.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/devmode.h"

namespace platform::spooler {

class InfoPacker {
 public:
  // A null buffer measures only.
  InfoPacker(BYTE* buffer, size_t fixedBytes) : buffer_(buffer), cursor_(fixedBytes) {}

  size_t size() const { return cursor_; }

  // A NUL-terminated string in the caller's width.
  template <class Char>
  Char* Text(std::u16string_view text) {
    std::basic_string<Char> out = TextOut<Char>(text);
    return static_cast<Char*>(Put(out.c_str(), (out.size() + 1) * sizeof(Char), alignof(Char)));
  }

  // A list of NUL-terminated names (given with their NULs) closed by an empty name;
  // an empty list gives NULL.
  template <class Char>
  Char* MultiText(std::u16string_view list) {
    if (list.empty()) return nullptr;
    return Text<Char>(list);
  }

  // A stored wide device mode in the caller's form; NULL when there is none.
  template <class DevMode>
  DevMode* PutDevMode(const std::vector<BYTE>* devModeW) {
    if (!devModeW || devModeW->empty()) return nullptr;
    if constexpr (std::is_same_v<DevMode, DEVMODEA>) {
      std::vector<BYTE> ansi = DevModeAFromW(reinterpret_cast<const DEVMODEW*>(devModeW->data()));
      if (ansi.empty()) return nullptr;
      return static_cast<DevMode*>(Put(ansi.data(), ansi.size(), alignof(DWORD)));
    } else {
      return static_cast<DevMode*>(Put(devModeW->data(), devModeW->size(), alignof(DWORD)));
    }
  }

 private:
  void* Put(const void* data, size_t size, size_t align) {
    cursor_ = (cursor_ + align - 1) / align * align;
    void* place = buffer_ ? buffer_ + cursor_ : nullptr;
    if (place) std::memcpy(place, data, size);
    cursor_ += size;
    return place;
  }

  BYTE* buffer_;
  size_t cursor_;
};

// Measures, checks the caller's buffer and writes `count` records of type Record.
// fill(packer, index, record) sets one record (given zeroed) and packs its strings.
// Answers ERROR_INSUFFICIENT_BUFFER with *pcbNeeded when the buffer is short.
template <class Record, class Fill>
DWORD PackRecords(BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded, size_t count, Fill&& fill) {
  if (!pcbNeeded) return ERROR_INVALID_PARAMETER;
  const size_t fixed = sizeof(Record) * count;
  Record scratch;
  InfoPacker measure(nullptr, fixed);
  for (size_t i = 0; i < count; ++i) {
    std::memset(&scratch, 0, sizeof scratch);
    fill(measure, i, scratch);
  }
  if (measure.size() > 0xFFFFFFFFu) return ERROR_NOT_ENOUGH_MEMORY;
  *pcbNeeded = static_cast<DWORD>(measure.size());
  if (measure.size() > cbBuf) return ERROR_INSUFFICIENT_BUFFER;
  if (!buffer && measure.size() > 0) return ERROR_INVALID_USER_BUFFER;

  InfoPacker write(buffer, fixed);
  for (size_t i = 0; i < count; ++i) {
    Record record;
    std::memset(&record, 0, sizeof record);
    fill(write, i, record);
    std::memcpy(buffer + i * sizeof(Record), &record, sizeof record);
  }
  return ERROR_SUCCESS;
}

}  // namespace platform::spooler
