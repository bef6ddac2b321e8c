#include "interface/records/host_font_entry.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "platform/base/errors.h"

int ReadHostFontEntry(HANDLE printer, const char* section, const char* listName, const char* itemName, BYTE* data,
                      DWORD* dataSize, char* name, size_t nameSize) {
  if (!listName || !itemName || !dataSize || !name || nameSize == 0) return 0;
  const DWORD capacity = data ? *dataSize : 0;
  *dataSize = 0;
  name[0] = '\0';

  std::vector<BYTE> stored(kHostFontRecordBuffer, 0);
  DWORD size = kHostFontRecordBuffer;
  DWORD rc;
  if (section) {
    const std::string key = std::string(listName) + "_" + itemName;
    rc = LibrarySettings().GetData(printer, kStoreUserFonts, section, key.c_str(), stored.data(), &size);
  } else {
    rc = LibrarySettings().GetData(printer, kStorePrinterFonts, listName, itemName, stored.data(), &size);
  }
  if (rc != ERROR_SUCCESS || size > kHostFontRecordBuffer) return 0;

  const fontrecord::RecordParts parts = fontrecord::SplitRecord(stored.data(), size);
  std::optional<fontrecord::RecordText> text = fontrecord::ParseRecordText(parts.text);
  if (!text || text->fontFilePath.size() >= nameSize) return 0;
  if (data && parts.dataSize > capacity) return 0;
  if (data && parts.dataSize > 0) std::memcpy(data, parts.data, parts.dataSize);
  *dataSize = static_cast<DWORD>(parts.dataSize);
  std::memcpy(name, text->fontFilePath.c_str(), text->fontFilePath.size() + 1);
  return 1;
}
