#include "detect/messages.h"

#include <vector>

#include "platform/base/format.h"
#include "platform/base/resources.h"
#include "platform/ui/message_box.h"

namespace detect {

std::string LoadText(unsigned id) {
  char text[1024] = {};
  const int length = LoadStringA(0, id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

std::string FormatText(unsigned id, const std::string& first, const std::string& second) {
  const std::string format = LoadText(id);
  std::vector<char> text(format.size() + first.size() + second.size() + 64);
  wsprintfA(text.data(), format.c_str(), first.c_str(), second.c_str());
  return text.data();
}

int ShowMessage(HWND owner, const std::string& text, UINT type) {
  return MessageBoxA(owner, text.c_str(), LoadText(kTextCaption).c_str(), type);
}

}  // namespace detect
