#include "tools/rescomp/version_block.h"

#include <cstdio>
#include <string>

#include "platform/base/resource_format.h"
#include "tools/rescomp/utf.h"

namespace rescomp {
namespace {

constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;

// Writes nodes of { u16 wLength, u16 wValueLength, u16 wType, key, pad, value, pad, children }.
class TreeWriter {
 public:
  // Opens a node; children start on a 4-byte boundary.
  size_t Open(std::u16string_view key, uint16_t type) {
    Pad();
    size_t start = out_.size();
    U16(0);
    U16(0);
    U16(type);
    for (char16_t c : key) U16(c);
    U16(0);
    Pad();
    return start;
  }
  void Close(size_t start) {
    size_t length = out_.size() - start;
    if (length > 0xFFFF) throw std::runtime_error("the version block is larger than 64 KB");
    zelres::WriteU16(out_.data() + start, static_cast<uint16_t>(length));
  }
  void Text(size_t node, std::string_view utf8) {
    std::u16string value = Utf16FromUtf8(utf8);
    for (char16_t c : value) U16(c);
    U16(0);
    ValueLength(node, value.size() + 1);
  }
  void Bytes(size_t node, const std::vector<unsigned char>& bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    ValueLength(node, bytes.size());
  }
  std::vector<unsigned char> Take() { return std::move(out_); }

 private:
  void U16(uint16_t value) {
    out_.push_back(static_cast<unsigned char>(value));
    out_.push_back(static_cast<unsigned char>(value >> 8));
  }
  void Pad() {
    while (out_.size() % 4) out_.push_back(0);
  }
  void ValueLength(size_t node, size_t length) {
    if (length > 0xFFFF) throw std::runtime_error("a version value is longer than 65535 units");
    zelres::WriteU16(out_.data() + node + 2, static_cast<uint16_t>(length));
  }
  std::vector<unsigned char> out_;
};

void PutU32(std::vector<unsigned char>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

uint32_t High(const uint16_t* parts) { return (uint32_t{parts[0]} << 16) | parts[1]; }
uint32_t Low(const uint16_t* parts) { return (uint32_t{parts[2]} << 16) | parts[3]; }

std::vector<unsigned char> FixedFileInfo(const VersionInfo& version) {
  const uint16_t* product = version.productVersion ? version.productVersion->data() : version.fileVersion;
  std::vector<unsigned char> fixed;
  PutU32(fixed, 0xFEEF04BDu);  // signature
  PutU32(fixed, 0x00010000u);  // structure version
  PutU32(fixed, High(version.fileVersion));
  PutU32(fixed, Low(version.fileVersion));
  PutU32(fixed, High(product));
  PutU32(fixed, Low(product));
  PutU32(fixed, version.fileFlagsMask);
  PutU32(fixed, version.fileFlags);
  PutU32(fixed, version.fileOs);
  PutU32(fixed, version.fileType);
  PutU32(fixed, version.fileSubtype);
  PutU32(fixed, 0);  // file date: builds stay reproducible
  PutU32(fixed, 0);
  return fixed;
}

std::u16string TableKey(uint16_t language, uint16_t codePage) {
  char key[9];
  std::snprintf(key, sizeof(key), "%04x%04x", language, codePage);
  return Utf16FromUtf8(key);
}

}  // namespace

std::vector<unsigned char> BuildVersionBlock(const VersionInfo& version) {
  TreeWriter tree;
  const size_t root = tree.Open(u"VS_VERSION_INFO", kBinary);
  tree.Bytes(root, FixedFileInfo(version));
  if (!version.tables.empty()) {
    const size_t stringInfo = tree.Open(u"StringFileInfo", kText);
    for (const VersionStrings& table : version.tables) {
      const size_t tableNode = tree.Open(TableKey(table.language, table.codePage), kText);
      for (const auto& [key, value] : table.values) {
        const size_t entry = tree.Open(Utf16FromUtf8(key), kText);
        tree.Text(entry, value);
        tree.Close(entry);
      }
      tree.Close(tableNode);
    }
    tree.Close(stringInfo);
  }
  std::vector<std::pair<uint16_t, uint16_t>> translation = version.translation;
  if (translation.empty()) {
    for (const VersionStrings& table : version.tables) translation.emplace_back(table.language, table.codePage);
  }
  if (!translation.empty()) {
    const size_t varInfo = tree.Open(u"VarFileInfo", kText);
    const size_t var = tree.Open(u"Translation", kBinary);
    std::vector<unsigned char> pairs;
    for (const auto& [language, codePage] : translation) PutU32(pairs, (uint32_t{codePage} << 16) | language);
    tree.Bytes(var, pairs);
    tree.Close(var);
    tree.Close(varInfo);
  }
  tree.Close(root);
  return tree.Take();
}

}  // namespace rescomp
