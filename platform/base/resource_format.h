// Layout of the resource blob a module carries in its "zelres" section. tools/rescomp
// writes it, the platform layer reads it from a loaded module (through an exported
// symbol) or straight from the module's file. Little-endian, fixed-width fields,
// offsets from the start of the blob, so 32-bit and 64-bit builds share one format.
//
// Header (32 bytes)
//    0  magic "ZELRES\0\1"
//    8  u32 format version (1)
//   12  u32 total size of the blob
//   16  u32 number of entries
//   20  u32 offset of the entry table
//   24  u32 offset of the name pool (UTF-8 names, each ended by a NUL)
//   28  u32 size of the name pool
// Entry (20 bytes)
//    0  u32 type: an id below 0x10000, or kNamedFlag | offset of the name in the pool
//    4  u32 name: the same
//    8  u16 language (LANGID)
//   10  u16 reserved, 0
//   12  u32 offset of the data (a multiple of kDataAlignment)
//   16  u32 size of the data
//
// Data of the resource types the platform reads itself:
// - RT_STRING entries are named (id / 16 + 1) and hold the 16 strings of that block in
//   order, each as { u16 byte length, UTF-8 bytes }; a missing string has length 0.
// - RT_VERSION entry 1 is a VS_VERSIONINFO tree in its wide form (16-bit wLength,
//   wValueLength, wType, UTF-16 key, 4-byte alignment, the 52-byte VS_FIXEDFILEINFO),
//   so code that walks the block by hand reads it as it would on Windows.
// - RT_BITMAP entries are packed DIBs (a .bmp file without its 14-byte file header).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zelres {

inline constexpr char kSectionName[] = "zelres";
inline constexpr char kSymbolName[] = "zel_module_resources";
inline constexpr unsigned char kMagic[8] = {'Z', 'E', 'L', 'R', 'E', 'S', 0, 1};
inline constexpr uint32_t kFormatVersion = 1;
inline constexpr uint32_t kHeaderSize = 32;
inline constexpr uint32_t kEntrySize = 20;
inline constexpr uint32_t kNamedFlag = 0x80000000u;
inline constexpr uint32_t kDataAlignment = 8;
inline constexpr uint32_t kStringsPerBlock = 16;
inline constexpr uint16_t kVersionResourceId = 1;

namespace header {
inline constexpr size_t kMagic = 0;
inline constexpr size_t kFormatVersion = 8;
inline constexpr size_t kTotalSize = 12;
inline constexpr size_t kEntryCount = 16;
inline constexpr size_t kEntriesOffset = 20;
inline constexpr size_t kNamesOffset = 24;
inline constexpr size_t kNamesSize = 28;
}  // namespace header

namespace entry {
inline constexpr size_t kType = 0;
inline constexpr size_t kName = 4;
inline constexpr size_t kLanguage = 8;
inline constexpr size_t kDataOffset = 12;
inline constexpr size_t kDataSize = 16;
}  // namespace entry

inline uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteU16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void WriteU32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace zelres
