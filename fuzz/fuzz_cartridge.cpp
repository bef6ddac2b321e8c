// Cartridge files of a font package: the header check and the name found
// through the offset the file gives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fontinstaller/installer_records.h"
#include "fontinstaller/soft_font_files.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

// The reader takes a path: each input becomes the one file it reads.
std::string WriteInput(const uint8_t* data, size_t size) {
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  const std::string path = std::string(folder) + "fuzz_cartridge.bin";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) return {};
  DWORD written = 0;
  WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return written == size ? path : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteInput(data, size);
  if (path.empty()) return 0;
  fontinstaller::InstalledFontEntry entry{};
  fontinstaller::ReadCartridgeHeader(path.c_str(), &entry);
  return 0;
}
