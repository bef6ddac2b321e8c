#include "platform/base/resources.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/module_registry.h"
#include "platform/base/resource_blob.h"
#include "platform/base/resource_format.h"
#include "platform/base/text_cut.h"

namespace platform {
namespace {

constexpr uint16_t kStringType = 6;

HRSRC FindByKeys(HMODULE module, const std::optional<ResourceKey>& type, const std::optional<ResourceKey>& name,
                 LANGID language) {
  if (!type || !name) {
    SetLastError(!type ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  DWORD error = 0;
  auto blob = detail::ModuleResources(module, &error);
  if (!blob) {
    SetLastError(error);
    return 0;
  }
  auto index = blob->Find(*type, *name, language, &error);
  if (!index) {
    SetLastError(error);
    return 0;
  }
  return detail::ResourceHandle(module, *index);
}

// String `slot` of a string-table block: 16 of { u16 byte length, UTF-8 bytes }.
std::optional<std::string_view> StringInBlock(std::span<const unsigned char> block, unsigned slot) {
  size_t offset = 0;
  for (unsigned i = 0; i < zelres::kStringsPerBlock; ++i) {
    if (offset + 2 > block.size()) return std::nullopt;
    size_t length = zelres::ReadU16(block.data() + offset);
    offset += 2;
    if (offset + length > block.size()) return std::nullopt;
    if (i == slot) return std::string_view(reinterpret_cast<const char*>(block.data() + offset), length);
    offset += length;
  }
  return std::nullopt;
}

// The UTF-8 text of string `id`: from the table of the machine's language, else
// from the other language's (a string one table lacks is taken from the other).
std::optional<std::string_view> FindString(HMODULE module, UINT id, DWORD* error) {
  *error = ERROR_RESOURCE_NAME_NOT_FOUND;
  if (id > 0xFFFF) return std::nullopt;
  auto blob = detail::ModuleResources(module, error);
  if (!blob) return std::nullopt;
  const ResourceKey type = ResourceKey::Id(kStringType);
  const ResourceKey block = ResourceKey::Id(static_cast<uint16_t>(id / zelres::kStringsPerBlock + 1));
  const unsigned slot = id % zelres::kStringsPerBlock;
  const LANGID ui = UiLanguageId();
  const LANGID other = ui == MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)
                           ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                           : MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
  for (LANGID language : {ui, other, LANGID{LANG_NEUTRAL}}) {
    auto index = blob->FindInLanguage(type, block, language);
    if (!index) continue;
    auto text = StringInBlock(blob->Data(*index), slot);
    if (text && !text->empty()) return text;
  }
  *error = ERROR_RESOURCE_NAME_NOT_FOUND;
  return std::nullopt;
}

std::shared_ptr<detail::ResourceObject> ResourceOf(HANDLE resource) {
  auto object = LookupHandle<detail::ResourceObject>(resource);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

}  // namespace

std::optional<std::span<const unsigned char>> FindModuleResource(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC resource = FindResourceA(module, name, type);
  if (!resource) return std::nullopt;
  auto object = ResourceOf(resource);
  if (!object) return std::nullopt;
  return object->data;
}

}  // namespace platform

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  return platform::FindByKeys(module, platform::ResourceKeyFromAnsi(type), platform::ResourceKeyFromAnsi(name),
                              LANG_NEUTRAL);
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return platform::FindByKeys(module, platform::ResourceKeyFromWide(type), platform::ResourceKeyFromWide(name),
                              LANG_NEUTRAL);
}

HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  return platform::FindByKeys(module, platform::ResourceKeyFromAnsi(type), platform::ResourceKeyFromAnsi(name),
                              language);
}

HRSRC FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  return platform::FindByKeys(module, platform::ResourceKeyFromWide(type), platform::ResourceKeyFromWide(name),
                              language);
}

HGLOBAL LoadResource(HMODULE /*module*/, HRSRC resource) {
  // The resource's handle serves as its "global" too: the bytes never move.
  return platform::ResourceOf(resource) ? resource : 0;
}

LPVOID LockResource(HGLOBAL resource) {
  auto object = platform::ResourceOf(resource);
  return object ? const_cast<unsigned char*>(object->data.data()) : nullptr;
}

DWORD SizeofResource(HMODULE /*module*/, HRSRC resource) {
  auto object = platform::ResourceOf(resource);
  return object ? static_cast<DWORD>(object->data.size()) : 0;
}

BOOL FreeResource(HGLOBAL /*resource*/) { return FALSE; }  // nothing to free; FALSE is success here, as on Windows

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = '\0';
  DWORD error = 0;
  auto text = platform::FindString(instance, id, &error);
  if (!text) {
    SetLastError(error);
    return 0;
  }
  const std::string ansi = platform::AnsiFromUtf8(*text);
  const size_t copied = platform::CutPoint(ansi, static_cast<size_t>(bufferMax) - 1);
  std::memcpy(buffer, ansi.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (!buffer || bufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD error = 0;
  auto text = platform::FindString(instance, id, &error);
  if (!text) {
    if (bufferMax > 0) buffer[0] = u'\0';
    SetLastError(error);
    return 0;
  }
  std::u16string wide = platform::Utf16FromUtf8(*text);
  if (bufferMax == 0) {
    const std::u16string& kept = platform::detail::KeepWideString(instance, std::move(wide));
    LPCWSTR pointer = kept.data();
    std::memcpy(buffer, &pointer, sizeof(pointer));  // the caller passed the address of a pointer
    return static_cast<int>(kept.size());
  }
  const size_t copied = platform::CutPoint(wide, static_cast<size_t>(bufferMax) - 1);
  std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(copied), buffer);
  buffer[copied] = u'\0';
  return static_cast<int>(copied);
}
