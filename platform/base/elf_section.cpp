#include "platform/base/elf_section.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace platform {
namespace {

// Sections larger than this are not resources of ours; refusing them keeps a damaged
// header from asking for an absurd allocation.
constexpr uint64_t kMaxSectionSize = 256u << 20;

class File {
 public:
  explicit File(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool open() const { return fd_ >= 0; }
  uint64_t size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  }
  // Reads exactly `length` bytes at `offset`.
  bool Read(uint64_t offset, void* out, uint64_t length) const {
    auto* bytes = static_cast<unsigned char*>(out);
    while (length > 0) {
      ssize_t got = ::pread(fd_, bytes, static_cast<size_t>(length), static_cast<off_t>(offset));
      if (got <= 0) return false;
      bytes += got;
      offset += static_cast<uint64_t>(got);
      length -= static_cast<uint64_t>(got);
    }
    return true;
  }

 private:
  int fd_;
};

template <class Ehdr, class Shdr>
ElfSectionResult ReadSection(const File& file, uint64_t fileSize, std::string_view name,
                             std::vector<unsigned char>& contents) {
  Ehdr ehdr;
  if (fileSize < sizeof(ehdr) || !file.Read(0, &ehdr, sizeof(ehdr))) return ElfSectionResult::NotElf;
  if (ehdr.e_shoff == 0 || ehdr.e_shentsize < sizeof(Shdr)) return ElfSectionResult::NoSection;

  auto readHeader = [&](uint64_t index, Shdr& out) {
    uint64_t offset = static_cast<uint64_t>(ehdr.e_shoff) + index * ehdr.e_shentsize;
    return offset + sizeof(Shdr) <= fileSize && file.Read(offset, &out, sizeof(Shdr));
  };
  // Counts that do not fit the header field live in section 0.
  uint64_t count = ehdr.e_shnum;
  uint64_t namesIndex = ehdr.e_shstrndx;
  if (count == 0 || namesIndex == SHN_XINDEX) {
    Shdr first;
    if (!readHeader(0, first)) return ElfSectionResult::NotElf;
    if (count == 0) count = first.sh_size;
    if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
  }
  if (count > fileSize / ehdr.e_shentsize || namesIndex >= count) return ElfSectionResult::NotElf;

  Shdr namesHeader;
  if (!readHeader(namesIndex, namesHeader)) return ElfSectionResult::NotElf;
  const uint64_t namesOffset = namesHeader.sh_offset;
  const uint64_t namesSize = namesHeader.sh_size;
  if (namesOffset > fileSize || namesSize > fileSize - namesOffset) return ElfSectionResult::NotElf;
  std::vector<char> names(static_cast<size_t>(namesSize));
  if (!file.Read(namesOffset, names.data(), namesSize)) return ElfSectionResult::NotElf;

  for (uint64_t i = 1; i < count; ++i) {
    Shdr section;
    if (!readHeader(i, section)) return ElfSectionResult::NotElf;
    const uint64_t nameOffset = section.sh_name;
    if (nameOffset >= names.size()) continue;
    const char* sectionName = names.data() + nameOffset;
    size_t maxLength = names.size() - static_cast<size_t>(nameOffset);
    if (strnlen(sectionName, maxLength) != name.size() || std::memcmp(sectionName, name.data(), name.size()) != 0) {
      continue;
    }
    if (section.sh_type == SHT_NOBITS) return ElfSectionResult::NoSection;
    const uint64_t offset = section.sh_offset;
    const uint64_t length = section.sh_size;
    if (offset > fileSize || length > fileSize - offset || length > kMaxSectionSize) return ElfSectionResult::NotElf;
    contents.resize(static_cast<size_t>(length));
    if (!file.Read(offset, contents.data(), length)) return ElfSectionResult::NotElf;
    return ElfSectionResult::Found;
  }
  return ElfSectionResult::NoSection;
}

}  // namespace

ElfSectionResult ReadElfSection(const std::filesystem::path& path, std::string_view sectionName,
                                std::vector<unsigned char>& contents) {
  contents.clear();
  File file(path);
  if (!file.open()) return ElfSectionResult::NoFile;
  const uint64_t fileSize = file.size();
  unsigned char ident[EI_NIDENT];
  if (fileSize < EI_NIDENT || !file.Read(0, ident, EI_NIDENT)) return ElfSectionResult::NotElf;
  if (std::memcmp(ident, ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB) return ElfSectionResult::NotElf;
  switch (ident[EI_CLASS]) {
    case ELFCLASS32: return ReadSection<Elf32_Ehdr, Elf32_Shdr>(file, fileSize, sectionName, contents);
    case ELFCLASS64: return ReadSection<Elf64_Ehdr, Elf64_Shdr>(file, fileSize, sectionName, contents);
    default: return ElfSectionResult::NotElf;
  }
}

}  // namespace platform
