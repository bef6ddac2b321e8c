// Soft-font files and font directories of a font package: the descriptor, the
// metrics built from the font, the printer-disk copy and the directory text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fontinstaller/soft_font_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace fontinstaller;
  ParseSoftFontDescriptor(data, size);
  const std::vector<uint8_t> font(data, data + size);
  BuildSoftFontMetrics(font, "Fallback");
  BuildPrinterDiskCopy(font);
  ReadFontDirectory(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
