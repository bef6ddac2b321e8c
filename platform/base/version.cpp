#include "platform/base/version.h"

#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/elf_section.h"
#include "platform/base/errors.h"
#include "platform/base/module_registry.h"
#include "platform/base/resource_blob.h"
#include "platform/base/resource_format.h"

namespace platform {
namespace {

using zelres::ReadU16;
using zelres::ReadU32;
using zelres::WriteU32;

// Marks the ANSI strings that follow the tree in a filled block:
// u32 magic, u32 count, count x { u32 offset of the UTF-16 value, u32 offset of the
// ANSI text, u32 ANSI bytes with the NUL }, then the texts. Offsets are from the block start.
constexpr uint32_t kAnsiStringsMagic = 0x5341565Au;  // "ZVAS"
constexpr size_t kAnsiEntrySize = 12;
constexpr int kMaxDepth = 8;  // the tree is four levels deep; a damaged one may claim more
constexpr uint16_t kTextType = 1;
constexpr uint16_t kVersionType = 16;

size_t Align4(size_t value) { return (value + 3) & ~size_t{3}; }

// One node of a VS_VERSIONINFO tree: u16 wLength, u16 wValueLength, u16 wType,
// UTF-16 key and NUL, padding to 4, the value, padding to 4, the children.
struct Node {
  size_t end = 0;
  uint16_t valueLength = 0;  // in UTF-16 units for text, bytes otherwise
  uint16_t type = 0;
  std::u16string key;
  size_t valueOffset = 0;
  size_t valueBytes = 0;
  size_t childrenOffset = 0;
};

std::optional<Node> ReadNode(const unsigned char* base, size_t limit, size_t offset) {
  if (offset + 6 > limit) return std::nullopt;
  const uint16_t length = ReadU16(base + offset);
  if (length < 6 || offset + length > limit) return std::nullopt;
  Node node;
  node.end = offset + length;
  node.valueLength = ReadU16(base + offset + 2);
  node.type = ReadU16(base + offset + 4);
  size_t position = offset + 6;
  for (;;) {
    if (position + 2 > node.end) return std::nullopt;
    char16_t c = ReadU16(base + position);
    position += 2;
    if (c == 0) break;
    node.key.push_back(c);
  }
  node.valueOffset = Align4(position);
  node.valueBytes = node.type == kTextType ? size_t{node.valueLength} * 2 : node.valueLength;
  if (node.valueBytes > 0 && node.valueOffset + node.valueBytes > node.end) return std::nullopt;
  node.childrenOffset = Align4(node.valueOffset + node.valueBytes);
  return node;
}

template <class Visit>
void ForEachChild(const unsigned char* base, const Node& parent, Visit visit) {
  size_t offset = parent.childrenOffset;
  while (offset < parent.end) {
    auto child = ReadNode(base, parent.end, offset);
    if (!child || visit(*child)) return;
    offset = Align4(child->end);
  }
}

std::optional<Node> ReadRoot(const unsigned char* base, size_t limit) {
  auto root = ReadNode(base, limit, 0);
  if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
  return root;
}

struct VersionTree {
  std::vector<unsigned char> section;  // the module's resources, read from its file
  std::span<const unsigned char> tree;
};

// The version tree of a module file; on failure the Win32 error.
std::optional<VersionTree> ReadVersionTree(const std::string& nameUtf8, DWORD* error) {
  auto file = detail::FindModuleFile(nameUtf8, false);
  if (!file) file = detail::FindModuleFile(nameUtf8, true);
  if (!file) {
    *error = ERROR_FILE_NOT_FOUND;
    return std::nullopt;
  }
  VersionTree result;
  switch (ReadElfSection(*file, zelres::kSectionName, result.section)) {
    case ElfSectionResult::Found: break;
    case ElfSectionResult::NoFile: *error = ERROR_FILE_NOT_FOUND; return std::nullopt;
    case ElfSectionResult::NotElf:
    case ElfSectionResult::NoSection: *error = ERROR_RESOURCE_DATA_NOT_FOUND; return std::nullopt;
  }
  auto blob = ResourceBlob::Parse(result.section.data(), result.section.size());
  if (!blob) {
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return std::nullopt;
  }
  auto index = blob->Find(ResourceKey::Id(kVersionType), ResourceKey::Id(zelres::kVersionResourceId), LANGID{0}, error);
  if (!index) return std::nullopt;
  result.tree = blob->Data(*index);
  auto root = ReadRoot(result.tree.data(), result.tree.size());
  if (!root) {
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return std::nullopt;
  }
  result.tree = result.tree.first(root->end);
  return result;
}

void CollectStrings(const unsigned char* base, const Node& node, int depth,
                    std::vector<std::pair<size_t, std::u16string>>& strings) {
  if (depth > kMaxDepth) return;
  if (node.type == kTextType && node.valueLength > 0) {
    std::u16string value;
    for (size_t i = 0; i < node.valueLength; ++i) {
      char16_t c = ReadU16(base + node.valueOffset + 2 * i);
      if (c == 0) break;
      value.push_back(c);
    }
    strings.emplace_back(node.valueOffset, std::move(value));
  }
  ForEachChild(base, node, [&](const Node& child) {
    CollectStrings(base, child, depth + 1, strings);
    return false;
  });
}

// The ANSI strings placed after the tree, which starts the block at offset 0.
std::vector<unsigned char> BuildAnsiStrings(std::span<const unsigned char> tree) {
  std::vector<std::pair<size_t, std::u16string>> strings;
  CollectStrings(tree.data(), *ReadRoot(tree.data(), tree.size()), 0, strings);
  const size_t start = Align4(tree.size());
  std::vector<unsigned char> out(8 + strings.size() * kAnsiEntrySize);
  WriteU32(out.data(), kAnsiStringsMagic);
  WriteU32(out.data() + 4, static_cast<uint32_t>(strings.size()));
  for (size_t i = 0; i < strings.size(); ++i) {
    std::string ansi = FromUtf16(strings[i].second);
    unsigned char* entry = out.data() + 8 + i * kAnsiEntrySize;
    WriteU32(entry, static_cast<uint32_t>(strings[i].first));
    WriteU32(entry + 4, static_cast<uint32_t>(start + out.size()));
    WriteU32(entry + 8, static_cast<uint32_t>(ansi.size() + 1));
    out.insert(out.end(), ansi.begin(), ansi.end());
    out.push_back(0);
  }
  return out;
}

DWORD VersionInfoSize(const std::string& nameUtf8, LPDWORD handle) {
  if (handle) *handle = 0;
  DWORD error = 0;
  auto version = ReadVersionTree(nameUtf8, &error);
  if (!version) {
    SetLastError(error);
    return 0;
  }
  return static_cast<DWORD>(Align4(version->tree.size()) + BuildAnsiStrings(version->tree).size());
}

BOOL FillVersionInfo(const std::string& nameUtf8, DWORD length, LPVOID data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD error = 0;
  auto version = ReadVersionTree(nameUtf8, &error);
  if (!version) {
    SetLastError(error);
    return FALSE;
  }
  const std::vector<unsigned char> ansi = BuildAnsiStrings(version->tree);
  const size_t start = Align4(version->tree.size());
  if (length < start + ansi.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* out = static_cast<unsigned char*>(data);
  std::memcpy(out, version->tree.data(), version->tree.size());
  std::memset(out + version->tree.size(), 0, start - version->tree.size());
  std::memcpy(out + start, ansi.data(), ansi.size());
  return TRUE;
}

// The ANSI copy of the string whose UTF-16 value lies at valueOffset.
bool FindAnsiString(const unsigned char* base, size_t treeSize, size_t valueOffset, LPVOID* buffer, PUINT length) {
  const unsigned char* strings = base + Align4(treeSize);
  if (ReadU32(strings) != kAnsiStringsMagic) return false;
  const uint32_t count = ReadU32(strings + 4);
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* entry = strings + 8 + i * kAnsiEntrySize;
    if (ReadU32(entry) != valueOffset) continue;
    *buffer = const_cast<unsigned char*>(base + ReadU32(entry + 4));
    *length = ReadU32(entry + 8);
    return true;
  }
  return false;
}

BOOL QueryValue(LPCVOID block, std::u16string_view path, bool ansi, LPVOID* buffer, PUINT length) {
  if (!block || !buffer || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* base = static_cast<const unsigned char*>(block);
  const size_t treeSize = ReadU16(base);
  auto root = ReadRoot(base, treeSize);
  if (!root) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  Node node = *root;
  size_t position = 0;
  while (position < path.size()) {
    size_t next = path.find(u'\\', position);
    if (next == std::u16string_view::npos) next = path.size();
    std::u16string_view component = path.substr(position, next - position);
    position = next + 1;
    if (component.empty()) continue;
    bool found = false;
    ForEachChild(base, node, [&](const Node& child) {
      found = EqualsNoCase(child.key, component);
      if (found) node = child;
      return found;
    });
    if (!found) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return FALSE;
    }
  }
  if (node.valueLength == 0) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  if (node.type == kTextType && ansi) {
    if (FindAnsiString(base, treeSize, node.valueOffset, buffer, length)) return TRUE;
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);  // a block that GetFileVersionInfo did not fill
    return FALSE;
  }
  *buffer = const_cast<unsigned char*>(base + node.valueOffset);
  *length = node.valueLength;
  return TRUE;
}

}  // namespace
}  // namespace platform

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return platform::VersionInfoSize(platform::Utf8FromAnsi(fileName), handle);
}

DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return platform::VersionInfoSize(platform::Utf8FromUtf16(platform::Utf16FromZ(fileName)), handle);
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD /*handle*/, DWORD length, LPVOID data) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return platform::FillVersionInfo(platform::Utf8FromAnsi(fileName), length, data);
}

BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD /*handle*/, DWORD length, LPVOID data) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return platform::FillVersionInfo(platform::Utf8FromUtf16(platform::Utf16FromZ(fileName)), length, data);
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
  return platform::QueryValue(block, platform::ToUtf16(subBlock ? subBlock : ""), true, buffer, length);
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
  return platform::QueryValue(block, platform::Utf16FromZ(subBlock), false, buffer, length);
}
