// The key enumeration of an ini section for the installer's callers: a movable
// block holding the file and section names, the read position and the section's
// key names as the profile reader lists them.
#include <cstring>

#include "fontinstaller/installed_store.h"
#include "platform/base/global_memory.h"
#include "platform/base/profile.h"

namespace {

constexpr size_t kFileField = 261;
constexpr size_t kSectionField = 64;
constexpr size_t kPositionAt = 328;
constexpr size_t kCapacityAt = 332;
constexpr size_t kNamesAt = 336;
constexpr SIZE_T kFirstSize = 2048;
constexpr SIZE_T kGrowth = 1024;
constexpr int kMostReads = 16;
// A name list that leaves fewer free bytes than this may have been cut.
constexpr size_t kFreeBytesWanted = 34;

int32_t ReadInt(const unsigned char* block, size_t at) {
  int32_t value;
  std::memcpy(&value, block + at, sizeof value);
  return value;
}
void WriteInt(unsigned char* block, size_t at, int32_t value) { std::memcpy(block + at, &value, sizeof value); }

// The block locked for one call; unlocked again on every path.
class Locked {
 public:
  explicit Locked(HGLOBAL block) : block_(block), bytes_(static_cast<unsigned char*>(GlobalLock(block))) {}
  ~Locked() {
    if (bytes_) GlobalUnlock(block_);
  }
  unsigned char* get() const { return bytes_; }

 private:
  HGLOBAL block_;
  unsigned char* bytes_;
};

}  // namespace

HGLOBAL InitEnumIniEntries(LPCSTR iniFile, LPCSTR section) {
  if (!section) return 0;
  SIZE_T size = kFirstSize;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!block) return 0;
  if (iniFile) WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniFile);
  for (int read = 0; read < kMostReads; ++read) {
    {
      Locked locked(block);
      unsigned char* bytes = locked.get();
      if (!bytes) break;
      std::memset(bytes, 0, size);
      if (iniFile) std::strncpy(reinterpret_cast<char*>(bytes), iniFile, kFileField - 1);
      std::strncpy(reinterpret_cast<char*>(bytes + kFileField), section, kSectionField - 1);
      const size_t capacity = size - kNamesAt;
      WriteInt(bytes, kPositionAt, 0);
      WriteInt(bytes, kCapacityAt, static_cast<int32_t>(capacity));
      char* names = reinterpret_cast<char*>(bytes + kNamesAt);
      if (iniFile) {
        GetPrivateProfileStringA(section, nullptr, "", names, static_cast<DWORD>(capacity), iniFile);
      } else {
        GetProfileStringA(section, nullptr, "", names, static_cast<DWORD>(capacity));
      }
      size_t freeBytes = 0;
      while (freeBytes < capacity && names[capacity - 1 - freeBytes] == '\0') ++freeBytes;
      if (freeBytes >= kFreeBytesWanted) return block;
    }
    size += kGrowth;
    if (!GlobalReAlloc(block, size, GMEM_MOVEABLE | GMEM_ZEROINIT)) break;
  }
  GlobalFree(block);
  return 0;
}

int EnumIniEntries(HGLOBAL enumeration, char* key, int keySize, char* value, int valueSize) {
  if (key && keySize > 0) key[0] = '\0';
  if (value && valueSize > 0) value[0] = '\0';
  if (!enumeration || !key || !value || keySize <= 0 || valueSize <= 0) return 0;
  Locked locked(enumeration);
  unsigned char* bytes = locked.get();
  if (!bytes || GlobalSize(enumeration) < kNamesAt) return 0;
  const int32_t capacity = ReadInt(bytes, kCapacityAt);
  const int32_t position = ReadInt(bytes, kPositionAt);
  if (capacity <= 0 || static_cast<SIZE_T>(capacity) + kNamesAt > GlobalSize(enumeration) || position < 0 ||
      position >= capacity) {
    return 0;
  }
  const char* names = reinterpret_cast<const char*>(bytes + kNamesAt);
  const char* name = names + position;
  const size_t length = strnlen(name, static_cast<size_t>(capacity - position));
  if (length == 0 || length == static_cast<size_t>(capacity - position)) return 0;
  const char* file = reinterpret_cast<const char*>(bytes);
  const char* section = reinterpret_cast<const char*>(bytes + kFileField);
  std::string keyName(name, length);
  std::string sectionName(section, strnlen(section, kSectionField));
  if (file[0] != '\0') {
    std::string fileName(file, strnlen(file, kFileField));
    GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(), "", value, static_cast<DWORD>(valueSize),
                             fileName.c_str());
  } else {
    GetProfileStringA(sectionName.c_str(), keyName.c_str(), "", value, static_cast<DWORD>(valueSize));
  }
  if (value[0] != '\0') {
    std::strncpy(key, keyName.c_str(), static_cast<size_t>(keySize) - 1);
    key[keySize - 1] = '\0';
  }
  WriteInt(bytes, kPositionAt, position + static_cast<int32_t>(length) + 1);
  return 1;
}

HGLOBAL EndEnumIniEntries(HGLOBAL enumeration) {
  if (!enumeration) return static_cast<HGLOBAL>(-1);
  return GlobalFree(enumeration);
}
