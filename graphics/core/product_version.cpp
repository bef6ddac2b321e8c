#include "graphics/core/product_version.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "model/devmode_defaults.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr int kVersionResourceName = 1;
constexpr int kVersionResourceType = 16;  // RT_VERSION
// The version text is read into a work area of this size (terminator included).
constexpr size_t kWorkAreaBytes = 40;
constexpr size_t kNodeHeaderBytes = 6;
constexpr WORD kTextNode = 1;

// One node of the version tree: {WORD length, WORD value length, WORD type, key,
// padding to 4, value, padding to 4, children}. Offsets are from the start of
// the resource, whose alignment the padding refers to.
struct Node {
  size_t end = 0;       // one past the node's last byte
  size_t key = 0;       // offset of the key's first character
  size_t keyChars = 0;  // without the terminator
  size_t value = 0;     // offset of the value
  size_t valueBytes = 0;
  size_t children = 0;  // offset of the first child
};

size_t AlignUp(size_t offset) { return (offset + 3) & ~size_t{3}; }

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// Reads a version resource without ever looking outside its bytes: every length
// is checked against the node that holds it before it is followed.
class VersionTree {
 public:
  VersionTree(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}

  // The node at offset within [offset, limit); nothing when its header, key or
  // value would reach beyond the limit.
  std::optional<Node> At(size_t offset, size_t limit) const {
    if (limit > size_ || offset > limit || limit - offset < kNodeHeaderBytes) return std::nullopt;
    const size_t length = Word(offset);
    const size_t valueLength = Word(offset + 2);
    const WORD type = Word(offset + 4);
    if (length < kNodeHeaderBytes || length > limit - offset) return std::nullopt;
    Node node;
    node.end = offset + length;
    node.key = offset + kNodeHeaderBytes;
    size_t at = node.key;
    while (true) {
      if (node.end - at < 2) return std::nullopt;  // no terminator inside the node
      if (Word(at) == 0) break;
      at += 2;
    }
    node.keyChars = (at - node.key) / 2;
    node.value = std::min(AlignUp(at + 2), node.end);
    node.valueBytes = type == kTextNode ? valueLength * 2 : valueLength;
    if (node.valueBytes > node.end - node.value) return std::nullopt;
    node.children = std::min(AlignUp(node.value + node.valueBytes), node.end);
    return node;
  }

  // Keys compare as the platform compares them: without regard to ASCII case.
  bool KeyIs(const Node& node, std::u16string_view expected) const {
    if (node.keyChars != expected.size()) return false;
    for (size_t i = 0; i < expected.size(); ++i) {
      if (FoldAscii(Word(node.key + 2 * i)) != FoldAscii(expected[i])) return false;
    }
    return true;
  }

  // The child of parent whose key is `key`; nothing when no child has it or a
  // child is malformed.
  std::optional<Node> Child(const Node& parent, std::u16string_view key) const {
    size_t offset = parent.children;
    while (offset < parent.end) {
      const std::optional<Node> child = At(offset, parent.end);
      if (!child) return std::nullopt;
      if (KeyIs(*child, key)) return child;
      offset = AlignUp(child->end);
    }
    return std::nullopt;
  }

  // A text value up to its terminator (or the end of the value).
  std::u16string Text(const Node& node) const {
    std::u16string text;
    for (size_t at = node.value; at + 2 <= node.value + node.valueBytes; at += 2) {
      const char16_t c = Word(at);
      if (c == 0) break;
      text.push_back(c);
    }
    return text;
  }

 private:
  char16_t Word(size_t offset) const { return static_cast<char16_t>(bytes_[offset] | (bytes_[offset + 1] << 8)); }

  const unsigned char* bytes_;
  size_t size_;
};

}  // namespace

bool ReadProductVersion(const void* resource, size_t size, char* out, size_t capacity) {
  if (out && capacity > 0) out[0] = '\0';
  if (!resource || !out || capacity == 0) return false;
  const VersionTree tree(static_cast<const unsigned char*>(resource), size);
  const std::optional<Node> root = tree.At(0, size);
  if (!root) return false;
  const std::optional<Node> strings = tree.Child(*root, u"StringFileInfo");
  if (!strings) return false;
  const std::optional<Node> table = tree.Child(*strings, u"040904b0");
  if (!table) return false;
  const std::optional<Node> version = tree.Child(*table, u"ProductVersion");
  if (!version) return false;
  const std::string ansi = platform::FromUtf16(tree.Text(*version), CP_ACP);
  const size_t limit = std::min(capacity, kWorkAreaBytes) - 1;
  const size_t kept = platform::CutPoint(std::string_view(ansi), limit);
  std::memcpy(out, ansi.data(), kept);
  out[kept] = '\0';
  return true;
}

int GetProductVersionString(HMODULE module, char* buffer, DWORD length, int kind) {
  if (kind != kProductVersionText || !buffer || length == 0) return 0;
  ULONG size = 0;
  const void* resource = EngFindResource(module, kVersionResourceName, kVersionResourceType, &size);
  if (!resource) return 0;
  char work[kWorkAreaBytes] = {};
  ReadProductVersion(resource, size, work, sizeof work);
  std::memset(buffer, 0, length);
  const size_t kept = platform::CutPoint(std::string_view(work), length - 1);
  std::memcpy(buffer, work, kept);
  return 1;
}

WORD GraphicsDriverVersionWord(HMODULE module) {
  char text[kWorkAreaBytes] = {};
  GetProductVersionString(module, text, sizeof text, kProductVersionText);
  return DriverVersionFromText(text);
}
