#include "platform/base/resource_blob.h"

#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/resource_format.h"

namespace platform {
namespace {

constexpr LANGID kJapanese = 0x0411;
constexpr LANGID kEnglish = 0x0409;

LANGID Primary(LANGID language) { return static_cast<LANGID>(language & 0x3FF); }

std::optional<ResourceKey> KeyFromNameText(std::string utf8) {
  if (utf8.empty()) return std::nullopt;
  if (utf8[0] == '#' && utf8.size() > 1) {
    unsigned long value = 0;
    for (size_t i = 1; i < utf8.size(); ++i) {
      if (utf8[i] < '0' || utf8[i] > '9' || value > 0xFFFF) return ResourceKey::Name(std::move(utf8));
      value = value * 10 + static_cast<unsigned long>(utf8[i] - '0');
    }
    if (value <= 0xFFFF) return ResourceKey::Id(static_cast<uint16_t>(value));
  }
  return ResourceKey::Name(std::move(utf8));
}

}  // namespace

std::optional<ResourceKey> ResourceKeyFromAnsi(LPCSTR value) {
  if (IS_INTRESOURCE(value)) {
    if (!value) return std::nullopt;
    return ResourceKey::Id(static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(value)));
  }
  return KeyFromNameText(Utf8FromAnsi(value));
}

std::optional<ResourceKey> ResourceKeyFromWide(LPCWSTR value) {
  if (IS_INTRESOURCE(value)) {
    if (!value) return std::nullopt;
    return ResourceKey::Id(static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(value)));
  }
  return KeyFromNameText(Utf8FromUtf16(Utf16FromZ(value)));
}

LANGID UiLanguageId() { return CurrentUiLanguage() == UiLanguage::English ? kEnglish : kJapanese; }

std::optional<ResourceBlob> ResourceBlob::Parse(const unsigned char* data, size_t size) {
  using namespace zelres;
  if (!data || size < kHeaderSize) return std::nullopt;
  if (std::memcmp(data + header::kMagic, kMagic, sizeof(kMagic)) != 0) return std::nullopt;
  if (ReadU32(data + header::kFormatVersion) != kFormatVersion) return std::nullopt;
  const uint64_t total = ReadU32(data + header::kTotalSize);
  const uint64_t count = ReadU32(data + header::kEntryCount);
  const uint64_t entries = ReadU32(data + header::kEntriesOffset);
  const uint64_t names = ReadU32(data + header::kNamesOffset);
  const uint64_t namesSize = ReadU32(data + header::kNamesSize);
  if (total > size || total < kHeaderSize) return std::nullopt;
  if (entries + count * kEntrySize > total || names + namesSize > total) return std::nullopt;
  // A pool that ends in a NUL makes every in-range name offset a terminated string.
  if (namesSize > 0 && data[names + namesSize - 1] != 0) return std::nullopt;
  for (uint64_t i = 0; i < count; ++i) {
    const unsigned char* e = data + entries + i * kEntrySize;
    for (size_t field : {entry::kType, entry::kName}) {
      uint32_t value = ReadU32(e + field);
      if (value & kNamedFlag) {
        if ((value & ~kNamedFlag) >= namesSize) return std::nullopt;
      } else if (value > 0xFFFF) {
        return std::nullopt;
      }
    }
    const uint64_t offset = ReadU32(e + entry::kDataOffset);
    const uint64_t length = ReadU32(e + entry::kDataSize);
    if (offset + length > total) return std::nullopt;
  }
  return ResourceBlob(data, static_cast<size_t>(total), static_cast<uint32_t>(count), static_cast<uint32_t>(entries),
                      static_cast<uint32_t>(names), static_cast<uint32_t>(namesSize));
}

std::optional<ResourceBlob> ResourceBlob::ParseInMemory(const unsigned char* data) {
  if (!data || std::memcmp(data, zelres::kMagic, sizeof(zelres::kMagic)) != 0) return std::nullopt;
  return Parse(data, zelres::ReadU32(data + zelres::header::kTotalSize));
}

const unsigned char* ResourceBlob::EntryAt(size_t index) const { return data_ + entries_ + index * zelres::kEntrySize; }

LANGID ResourceBlob::Language(size_t index) const { return zelres::ReadU16(EntryAt(index) + zelres::entry::kLanguage); }

std::span<const unsigned char> ResourceBlob::Data(size_t index) const {
  const unsigned char* e = EntryAt(index);
  return {data_ + zelres::ReadU32(e + zelres::entry::kDataOffset), zelres::ReadU32(e + zelres::entry::kDataSize)};
}

bool ResourceBlob::Matches(uint32_t field, const ResourceKey& key) const {
  const bool named = (field & zelres::kNamedFlag) != 0;
  if (named != key.named) return false;
  if (!named) return field == key.id;
  const char* stored = reinterpret_cast<const char*>(data_ + names_ + (field & ~zelres::kNamedFlag));
  return EqualsNoCaseUtf8(stored, key.name);
}

std::optional<size_t> ResourceBlob::FindInLanguage(const ResourceKey& type, const ResourceKey& name,
                                                   LANGID language) const {
  std::optional<size_t> samePrimary;
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char* e = EntryAt(i);
    if (!Matches(zelres::ReadU32(e + zelres::entry::kType), type)) continue;
    if (!Matches(zelres::ReadU32(e + zelres::entry::kName), name)) continue;
    LANGID entryLanguage = Language(i);
    if (entryLanguage == language) return i;
    if (!samePrimary && Primary(entryLanguage) == Primary(language)) samePrimary = i;
  }
  return samePrimary;
}

std::optional<size_t> ResourceBlob::Find(const ResourceKey& type, const ResourceKey& name, LANGID language,
                                         DWORD* error) const {
  bool typeSeen = false;
  bool nameSeen = false;
  for (size_t i = 0; i < count_ && !nameSeen; ++i) {
    const unsigned char* e = EntryAt(i);
    if (!Matches(zelres::ReadU32(e + zelres::entry::kType), type)) continue;
    typeSeen = true;
    nameSeen = Matches(zelres::ReadU32(e + zelres::entry::kName), name);
  }
  auto fail = [&](DWORD code) -> std::optional<size_t> {
    if (error) *error = code;
    return std::nullopt;
  };
  if (!typeSeen) return fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  if (!nameSeen) return fail(ERROR_RESOURCE_NAME_NOT_FOUND);

  if (Primary(language) != 0) {
    if (auto found = FindInLanguage(type, name, language)) return found;
    return fail(ERROR_RESOURCE_LANG_NOT_FOUND);
  }
  const LANGID ui = UiLanguageId();
  for (LANGID preferred : {ui, LANGID{0}, kEnglish, kJapanese}) {
    if (auto found = FindInLanguage(type, name, preferred)) return found;
  }
  // Any language at all.
  for (size_t i = 0; i < count_; ++i) {
    const unsigned char* e = EntryAt(i);
    if (Matches(zelres::ReadU32(e + zelres::entry::kType), type) &&
        Matches(zelres::ReadU32(e + zelres::entry::kName), name)) {
      return i;
    }
  }
  return fail(ERROR_RESOURCE_NAME_NOT_FOUND);
}

}  // namespace platform
