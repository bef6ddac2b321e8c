// Cartridge files of a font package: the header check and the name found
// through the offset the file gives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fontinstaller/installer_records.h"
#include "fontinstaller/soft_font_files.h"
#include "fuzz/file_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = fuzzfiles::Folder("fuzz_cartridge");
  const std::string path = fuzzfiles::WriteInput(folder, "cartridge.bin", data, size);
  if (path.empty()) return 0;
  fontinstaller::InstalledFontEntry entry{};
  fontinstaller::ReadCartridgeHeader(path.c_str(), &entry);
  return 0;
}
