#include "interface/util/value_error.h"

#include <cstring>
#include <string>

#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "platform/base/errors.h"
#include "platform/base/text_cut.h"
#include "platform/ui/message_box.h"

namespace {

// Puts the value where the text has "%d"; a text without one is taken as it is.
// The text comes from a string table, so it is never used as a format of its own.
std::string WithValue(const char* text, int value) {
  std::string result(text);
  const size_t at = result.find("%d");
  if (at != std::string::npos) result.replace(at, 2, std::to_string(value));
  return result;
}

}  // namespace

void FormatValueError(UINT messageId, int value, char* buffer, int size) {
  if (!buffer || size <= 0) return;
  char message[256];
  char detail[128];
  LoadResString(messageId, message, sizeof message);
  LoadResString(value == ERROR_NOT_ENOUGH_MEMORY ? IDS_OUT_OF_MEMORY : IDS_ERROR_CODE, detail, sizeof detail);
  const std::string text = std::string(message) + " " + WithValue(detail, value);
  const size_t kept = platform::CutPoint(std::string_view(text), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), kept);
  buffer[kept] = '\0';
}

void ShowValueError(UINT messageId, int value) {
  char text[512];
  char caption[64];
  FormatValueError(messageId, value, text, sizeof text);
  LoadResString(IDS_ERROR_CAPTION, caption, sizeof caption);
  MessageBoxA(0, text, caption, MB_ICONERROR);
}
