// Reading the resource blob of a module (layout in resource_format.h): every offset
// is checked once when the blob is taken, so lookups never read outside it, even
// for a blob read from a damaged file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/base/types.h"

namespace platform {

// A resource type or name: a number, or a name matched without regard to case.
struct ResourceKey {
  bool named = false;
  uint16_t id = 0;
  std::string name;  // UTF-8

  static ResourceKey Id(uint16_t value) { return ResourceKey{false, value, {}}; }
  static ResourceKey Name(std::string value) { return ResourceKey{true, 0, std::move(value)}; }
};

// The key an A or W argument stands for: a MAKEINTRESOURCE value, "#123" (the
// number 123, as Windows reads it), or a name. Nothing for a NULL or empty name.
std::optional<ResourceKey> ResourceKeyFromAnsi(LPCSTR value);
std::optional<ResourceKey> ResourceKeyFromWide(LPCWSTR value);

// LANGID of the machine's language for string tables and resources (0x0411, 0x0409).
LANGID UiLanguageId();

class ResourceBlob {
 public:
  // Takes `size` bytes as a blob; nothing when they do not hold a valid one.
  static std::optional<ResourceBlob> Parse(const unsigned char* data, size_t size);
  // A blob compiled into a loaded module: its extent comes from its own header.
  static std::optional<ResourceBlob> ParseInMemory(const unsigned char* data);

  size_t Count() const { return count_; }
  LANGID Language(size_t index) const;
  std::span<const unsigned char> Data(size_t index) const;

  // The entry of that type and name. With a language (not LANG_NEUTRAL) the entry
  // must have it, or its primary language; without, the machine's language is
  // preferred, then neutral, then English, then any. On failure *error is
  // ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or ERROR_RESOURCE_LANG_NOT_FOUND.
  std::optional<size_t> Find(const ResourceKey& type, const ResourceKey& name, LANGID language, DWORD* error) const;
  // The entry of that type and name in exactly `language` (primary language as fallback).
  std::optional<size_t> FindInLanguage(const ResourceKey& type, const ResourceKey& name, LANGID language) const;

 private:
  ResourceBlob(const unsigned char* data, size_t size, uint32_t count, uint32_t entries, uint32_t names,
               uint32_t namesSize)
      : data_(data), size_(size), count_(count), entries_(entries), names_(names), namesSize_(namesSize) {}
  const unsigned char* EntryAt(size_t index) const;
  bool Matches(uint32_t field, const ResourceKey& key) const;

  const unsigned char* data_;
  size_t size_;
  uint32_t count_;
  uint32_t entries_;
  uint32_t names_;
  uint32_t namesSize_;
};

}  // namespace platform
