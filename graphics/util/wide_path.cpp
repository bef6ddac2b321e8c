#include "graphics/util/wide_path.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

void SetEmpty(WCHAR* out, size_t capacity) {
  if (out != nullptr && capacity > 0) out[0] = 0;
}

// Copies text with its terminator when it fits; else leaves the empty text.
bool CopyPart(WCHAR* out, size_t capacity, std::u16string_view text) {
  if (out == nullptr) return true;
  if (text.size() >= capacity) {
    SetEmpty(out, capacity);
    return false;
  }
  std::copy(text.begin(), text.end(), out);
  out[text.size()] = 0;
  return true;
}

}  // namespace

WCHAR* JoinPath(WCHAR* out, size_t capacity, const WCHAR* folder, const WCHAR* name) {
  if (out == nullptr || folder == nullptr || name == nullptr) return nullptr;
  const std::u16string_view folderText(folder);
  const std::u16string_view nameText(name);
  const bool separator = !folderText.empty() && folderText.back() != u'\\';
  const size_t length = folderText.size() + (separator ? 1 : 0) + nameText.size();
  if (length >= capacity) {
    SetEmpty(out, capacity);
    return nullptr;
  }
  // Built aside first, so out may share its buffer with either input.
  std::u16string joined(folderText);
  if (separator) joined.push_back(u'\\');
  joined.append(nameText);
  std::copy(joined.begin(), joined.end(), out);
  out[length] = 0;
  return out;
}

BOOL SplitPath(WCHAR* folderOut, size_t folderCapacity, WCHAR* nameOut, size_t nameCapacity, const WCHAR* path) {
  if (path == nullptr) {
    SetEmpty(folderOut, folderCapacity);
    SetEmpty(nameOut, nameCapacity);
    return FALSE;
  }
  const std::u16string_view text(path);
  const size_t split = text.find_last_of(u"\\:");
  // Copies of both parts first, so an output may share its buffer with path.
  std::u16string folder, name(text);
  if (split != std::u16string_view::npos) {
    folder = text.substr(0, split);
    name = text.substr(split + 1);
  }
  const bool nameFits = CopyPart(nameOut, nameCapacity, name);
  const bool folderFits = CopyPart(folderOut, folderCapacity, folder);
  return nameFits && folderFits ? TRUE : FALSE;
}
