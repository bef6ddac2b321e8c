#include "fontinstaller/file_names.h"

#include "platform/base/codepage.h"

namespace fontinstaller {

std::string FileNamePart(const std::string& path) {
  size_t cut = std::string::npos;
  for (char separator : {'\\', '/', ':'}) {
    const size_t at = platform::FindLastCharAnsi(path, separator);
    if (at != std::string::npos && (cut == std::string::npos || at > cut)) cut = at;
  }
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace fontinstaller
