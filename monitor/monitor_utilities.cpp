#include "monitor/monitor_utilities.h"

#include "platform/base/files.h"
#include "platform/base/module_folder.h"
#include "platform/base/modules.h"
#include "platform/base/profile.h"
#include "platform/ui/sound.h"

int ClampWithBeep(int* value, int min, int max) {
  if (*value >= min && *value <= max) return 1;
  MessageBeep(0xFFFFFFFFu);
  *value = *value > max ? max : min;
  return 0;
}

std::string DP_ReadProfileString(const char* section, const char* key, const char* file) {
  char text[255] = {};
  GetPrivateProfileStringA(section, key, "DP_NONE", text, sizeof text, file);
  return text;
}

BOOL DP_WriteProfileString(const char* section, const char* key, const char* value, const char* file) {
  return WritePrivateProfileStringA(section, key, value, file);
}

std::string GetModuleFolder() { return platform::ModuleFolder(0); }

BOOL FileExists(const char* path) { return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::string IntToString(int n) { return std::to_string(n); }

void StoreBlob(CArchive& archive, const Blob& block) {
  if (archive.IsLoading()) throw CArchiveException(CArchiveException::readOnly);
  if (block.size() > 0xFFFF) throw CArchiveException(CArchiveException::genericException);
  archive << static_cast<uint16_t>(block.size());
  if (!block.empty()) archive.Write(block.data(), block.size());
}

void LoadBlob(CArchive& archive, Blob* block) {
  block->clear();
  if (archive.IsStoring()) throw CArchiveException(CArchiveException::writeOnly);
  uint16_t length = 0;
  archive >> length;
  block->resize(length);
  if (length) archive.Read(block->data(), length);
}
