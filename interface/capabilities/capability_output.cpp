#include "interface/capabilities/capability_output.h"

#include <vector>

#include "interface/util/text_conversion.h"

void PutCapabilityName(void* output, size_t index, int slotChars, const char* ansiName) {
  std::vector<WCHAR> slot(static_cast<size_t>(slotChars), u'\0');
  AnsiToWide(slot.data(), ansiName, slotChars);
  std::memcpy(static_cast<BYTE*>(output) + index * slot.size() * sizeof(WCHAR), slot.data(),
              slot.size() * sizeof(WCHAR));
}
