// Messages that programs agree on by name, such as the common dialogs'
// notifications to their hooks.
#include <cctype>
#include <map>
#include <mutex>
#include <string>

#include "platform/ui/user.h"

ZEL_EXTERN_C UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) return 0;
  static std::mutex lock;
  static std::map<std::string, UINT> numbers;
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::lock_guard<std::mutex> guard(lock);
  auto found = numbers.find(key);
  if (found != numbers.end()) return found->second;
  const UINT next = 0xC000u + static_cast<UINT>(numbers.size());
  if (next > 0xFFFFu) return 0;
  numbers.emplace(key, next);
  return next;
}
