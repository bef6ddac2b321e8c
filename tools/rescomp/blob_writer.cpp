#include "tools/rescomp/blob_writer.h"

#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "platform/base/resource_format.h"
#include "tools/rescomp/version_block.h"

namespace rescomp {
namespace {

constexpr uint16_t kStringType = 6;
constexpr uint16_t kBitmapType = 2;
constexpr uint16_t kVersionType = 16;
constexpr size_t kBitmapFileHeaderSize = 14;
constexpr size_t kVersionSlack = 12;  // alignment (3) and the magic and count (8), rounded up

struct Entry {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0;
  std::vector<unsigned char> data;
  int line = 0;
};

bool SameId(const ResourceId& a, const ResourceId& b) {
  if (a.named != b.named) return false;
  if (!a.named) return a.id == b.id;
  // Lookups match names without regard to case; two names that differ only so would shadow each other.
  if (a.name.size() != b.name.size()) return false;
  for (size_t i = 0; i < a.name.size(); ++i) {
    char x = a.name[i], y = b.name[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string Describe(const ResourceId& id) { return id.named ? "\"" + id.name + "\"" : std::to_string(id.id); }

ResourceId Number(uint16_t id) { return ResourceId{false, id, {}}; }

// Blocks of 16 strings: { u16 byte length, UTF-8 bytes } for each.
void AddStringTables(const Script& script, std::vector<Entry>& entries) {
  for (const StringTable& table : script.stringTables) {
    std::map<uint16_t, std::vector<const std::string*>> blocks;
    for (const auto& [id, text] : table.strings) {
      auto& block = blocks[static_cast<uint16_t>(id / zelres::kStringsPerBlock + 1)];
      block.resize(zelres::kStringsPerBlock, nullptr);
      block[id % zelres::kStringsPerBlock] = &text;
    }
    for (const auto& [blockId, strings] : blocks) {
      Entry entry{Number(kStringType), Number(blockId), table.language, {}, table.line};
      for (const std::string* text : strings) {
        const size_t length = text ? text->size() : 0;
        entry.data.push_back(static_cast<unsigned char>(length));
        entry.data.push_back(static_cast<unsigned char>(length >> 8));
        if (text) entry.data.insert(entry.data.end(), text->begin(), text->end());
      }
      entries.push_back(std::move(entry));
    }
  }
}

std::vector<unsigned char> ReadFile(const FileResource& file) {
  std::ifstream in(file.path, std::ios::binary);
  if (!in) throw ScriptError(file.line, "cannot read '" + file.path.string() + "'");
  std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ScriptError(file.line, "cannot read '" + file.path.string() + "'");
  // A bitmap resource is a packed DIB: the .bmp file without its file header, as
  // LoadBitmap-style readers expect.
  if (!file.type.named && file.type.id == kBitmapType) {
    if (data.size() < kBitmapFileHeaderSize || data[0] != 'B' || data[1] != 'M') {
      throw ScriptError(file.line, "'" + file.path.string() + "' is not a .bmp file");
    }
    data.erase(data.begin(), data.begin() + kBitmapFileHeaderSize);
  }
  return data;
}

void Align(std::vector<unsigned char>& out, size_t alignment) {
  while (out.size() % alignment) out.push_back(0);
}

}  // namespace

std::vector<unsigned char> BuildBlob(const Script& script) {
  std::vector<Entry> entries;
  AddStringTables(script, entries);
  if (script.version) {
    try {
      entries.push_back(Entry{Number(kVersionType), Number(zelres::kVersionResourceId), script.version->language,
                              BuildVersionBlock(*script.version), script.version->line});
    } catch (const std::runtime_error& error) {
      throw ScriptError(script.version->line, error.what());
    }
  }
  for (const MenuResource& menu : script.menus) {
    entries.push_back(Entry{Number(4 /* RT_MENU */), menu.name, menu.language,
                            std::vector<unsigned char>(menu.text.begin(), menu.text.end()), menu.line});
  }
  for (const FileResource& file : script.files) {
    entries.push_back(Entry{file.type, file.name, file.language, ReadFile(file), file.line});
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (SameId(entries[i].type, entries[j].type) && SameId(entries[i].name, entries[j].name) &&
          entries[i].language == entries[j].language) {
        throw ScriptError(entries[i].line,
                          "resource " + Describe(entries[i].name) + " of type " + Describe(entries[i].type) +
                              " and this language is already given on line " + std::to_string(entries[j].line));
      }
    }
  }

  // Name pool.
  std::vector<unsigned char> names;
  std::map<std::string, uint32_t> nameOffsets;
  auto field = [&](const ResourceId& id) -> uint32_t {
    if (!id.named) return id.id;
    auto [it, inserted] = nameOffsets.try_emplace(id.name, static_cast<uint32_t>(names.size()));
    if (inserted) {
      names.insert(names.end(), id.name.begin(), id.name.end());
      names.push_back(0);
    }
    return zelres::kNamedFlag | it->second;
  };
  std::vector<std::pair<uint32_t, uint32_t>> keys;
  for (const Entry& entry : entries) keys.emplace_back(field(entry.type), field(entry.name));

  std::vector<unsigned char> blob(zelres::kHeaderSize + entries.size() * zelres::kEntrySize, 0);
  const size_t namesOffset = blob.size();
  blob.insert(blob.end(), names.begin(), names.end());
  for (size_t i = 0; i < entries.size(); ++i) {
    Align(blob, zelres::kDataAlignment);
    if (blob.size() + entries[i].data.size() > 0xFFFFFFFFu)
      throw ScriptError(entries[i].line, "the resources exceed 4 GB");
    const size_t dataOffset = blob.size();
    blob.insert(blob.end(), entries[i].data.begin(), entries[i].data.end());
    // VerQueryValueA looks just past a version tree for the ANSI strings that
    // GetFileVersionInfo appends; given the bare resource, it finds zeros there
    // instead of reading past the blob.
    if (!entries[i].type.named && entries[i].type.id == kVersionType) blob.resize(blob.size() + kVersionSlack, 0);
    unsigned char* e = blob.data() + zelres::kHeaderSize + i * zelres::kEntrySize;
    zelres::WriteU32(e + zelres::entry::kType, keys[i].first);
    zelres::WriteU32(e + zelres::entry::kName, keys[i].second);
    zelres::WriteU16(e + zelres::entry::kLanguage, entries[i].language);
    zelres::WriteU32(e + zelres::entry::kDataOffset, static_cast<uint32_t>(dataOffset));
    zelres::WriteU32(e + zelres::entry::kDataSize, static_cast<uint32_t>(entries[i].data.size()));
  }
  Align(blob, zelres::kDataAlignment);

  unsigned char* header = blob.data();
  std::copy(std::begin(zelres::kMagic), std::end(zelres::kMagic), header + zelres::header::kMagic);
  zelres::WriteU32(header + zelres::header::kFormatVersion, zelres::kFormatVersion);
  zelres::WriteU32(header + zelres::header::kTotalSize, static_cast<uint32_t>(blob.size()));
  zelres::WriteU32(header + zelres::header::kEntryCount, static_cast<uint32_t>(entries.size()));
  zelres::WriteU32(header + zelres::header::kEntriesOffset, zelres::kHeaderSize);
  zelres::WriteU32(header + zelres::header::kNamesOffset, static_cast<uint32_t>(namesOffset));
  zelres::WriteU32(header + zelres::header::kNamesSize, static_cast<uint32_t>(names.size()));
  return blob;
}

}  // namespace rescomp
