#include "interface/util/maker_web_site.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/processes.h"
#include "platform/base/value_types.h"
#include "platform/registry/registry.h"
#include "platform/shell/shell_execute.h"

const char kMakerWebSite[] = "http://www.nardo.example/";

namespace {

constexpr const char* kBrowserCommandKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\http\\shell\\open\\command\\";
constexpr const char* kFirstPart = "HKEY_LOCAL_MACHINE";

// Opens the key part by part; 0 when the path does not begin with the machine's
// hive or a part does not open.
HKEY OpenCommandKey() {
  std::string_view path = kBrowserCommandKey;
  size_t slash = path.find('\\');
  if (path.substr(0, slash) != kFirstPart) return 0;
  HKEY key = HKEY_LOCAL_MACHINE;
  while (slash != std::string_view::npos && slash + 1 < path.size()) {
    const size_t next = path.find('\\', slash + 1);
    const std::string part(
        path.substr(slash + 1, next == std::string_view::npos ? std::string_view::npos : next - slash - 1));
    HKEY child = 0;
    const LONG opened = RegOpenKeyExA(key, part.c_str(), 0, KEY_READ, &child);
    if (key != HKEY_LOCAL_MACHINE) RegCloseKey(key);
    if (opened != ERROR_SUCCESS) return 0;
    key = child;
    slash = next;
  }
  return key == HKEY_LOCAL_MACHINE ? 0 : key;
}

// The program of a command line (quoted or up to the first blank) and the rest.
bool SplitProgram(const std::string& command, std::string* program, std::string* arguments) {
  size_t start = command.find_first_not_of(" \t");
  if (start == std::string::npos) return false;
  size_t end;
  if (command[start] == '"') {
    end = command.find('"', start + 1);
    if (end == std::string::npos) return false;
    *program = command.substr(start + 1, end - start - 1);
    ++end;
  } else {
    end = command.find_first_of(" \t", start);
    if (end == std::string::npos) end = command.size();
    *program = command.substr(start, end - start);
  }
  const size_t rest = command.find_first_not_of(" \t", end);
  *arguments = rest == std::string::npos ? std::string() : command.substr(rest);
  return !program->empty();
}

// The browser's arguments for the address. The address holds no blank and no
// quote, so it stays one argument wherever "%1" stands.
std::string ArgumentsFor(std::string arguments, const std::string& address) {
  bool placed = false;
  for (size_t at = arguments.find("%1"); at != std::string::npos; at = arguments.find("%1", at + address.size())) {
    arguments.replace(at, 2, address);
    placed = true;
  }
  if (!placed) arguments += (arguments.empty() ? "" : " ") + address;
  return arguments;
}

}  // namespace

void OpenMakerWebSite() {
  HKEY key = OpenCommandKey();
  if (!key) return;
  for (DWORD index = 0;; ++index) {
    char name[256] = {};
    DWORD nameChars = sizeof name;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueA(key, index, name, &nameChars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    std::vector<char> text(size + 1, '\0');
    DWORD read = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &read) != ERROR_SUCCESS)
      continue;
    std::string program, arguments;
    if (!SplitProgram(text.data(), &program, &arguments)) continue;
    ShellExecuteA(0, "open", program.c_str(), ArgumentsFor(arguments, kMakerWebSite).c_str(), nullptr, SW_SHOWNORMAL);
  }
  RegCloseKey(key);
}
