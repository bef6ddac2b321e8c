// Menus: a table of menus and their items, the menus of windows, and the menu
// chooser that plays the user when a pop-up menu is tracked.
#include "platform/ui/menu.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/resources.h"

namespace platform::ui {
namespace {

struct MenuItem {
  UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
  UINT id = 0;
  HMENU popup = 0;
  std::string text;
};

struct Menu {
  std::vector<MenuItem> items;
};

constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED;

std::recursive_mutex g_lock;
std::map<HMENU, Menu> g_menus;
std::map<HWND, HMENU> g_windowMenus;
std::map<HWND, HMENU> g_systemMenus;
HMENU g_nextMenu = 0x00D00001u;
std::mutex g_chooserLock;
platform::MenuChooser g_chooser;

HMENU NewMenu() {
  std::lock_guard guard(g_lock);
  const HMENU menu = g_nextMenu++;
  g_menus[menu] = Menu{};
  return menu;
}

Menu* Find(HMENU menu) {
  const auto found = g_menus.find(menu);
  return found == g_menus.end() ? nullptr : &found->second;
}

struct ItemRef {
  Menu* menu;
  size_t index;
};

// The item an MF_BYPOSITION position or an MF_BYCOMMAND id names; a command is
// looked for in the pop-ups too, as on Windows.
std::optional<ItemRef> Locate(HMENU handle, UINT item, UINT flags, int depth = 0) {
  Menu* menu = Find(handle);
  if (!menu || depth > 16) return std::nullopt;
  if (flags & MF_BYPOSITION) {
    if (item >= menu->items.size()) return std::nullopt;
    return ItemRef{menu, item};
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    const MenuItem& entry = menu->items[i];
    if (!(entry.flags & (MF_POPUP | MF_SEPARATOR)) && entry.id == item) return ItemRef{menu, i};
    if (entry.flags & MF_POPUP) {
      if (auto found = Locate(entry.popup, item, flags, depth + 1)) return found;
    }
  }
  return std::nullopt;
}

void DestroyTree(HMENU handle, int depth = 0) {
  Menu* menu = Find(handle);
  if (!menu || depth > 16) return;
  std::vector<HMENU> popups;
  for (const MenuItem& item : menu->items) {
    if (item.flags & MF_POPUP) popups.push_back(item.popup);
  }
  g_menus.erase(handle);
  for (HMENU popup : popups) DestroyTree(popup, depth + 1);
}

std::optional<MenuItem> MakeItem(UINT flags, UINT_PTR idNewItem, LPCSTR text) {
  MenuItem item;
  item.flags = flags & (kStateFlags | MF_POPUP | MF_SEPARATOR);
  if (flags & MF_SEPARATOR) return item;
  if (flags & MF_POPUP) {
    item.popup = static_cast<HMENU>(idNewItem);
    if (!Find(item.popup)) return std::nullopt;
  } else {
    item.id = static_cast<UINT>(idNewItem);
  }
  if (text) item.text = text;
  return item;
}

// `append` puts the item last; otherwise it goes before the item `before` names.
bool Insert(HMENU handle, bool append, UINT before, UINT beforeFlags, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
  std::lock_guard guard(g_lock);
  Menu* menu = Find(handle);
  std::optional<MenuItem> item = MakeItem(flags, idNewItem, text);
  if (!menu || !item) {
    SetLastError(menu ? ERROR_INVALID_PARAMETER : ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  if (append) {
    menu->items.push_back(*item);
    return true;
  }
  // A position past the end appends; a command that is not there fails.
  if (beforeFlags & MF_BYPOSITION) {
    const size_t at = std::min<size_t>(before, menu->items.size());
    menu->items.insert(menu->items.begin() + static_cast<std::ptrdiff_t>(at), *item);
    return true;
  }
  std::optional<ItemRef> found = Locate(handle, before, MF_BYCOMMAND);
  if (!found) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return false;
  }
  found->menu->items.insert(found->menu->items.begin() + static_cast<std::ptrdiff_t>(found->index), *item);
  return true;
}

bool Remove(HMENU handle, UINT position, UINT flags, bool destroyPopup) {
  std::lock_guard guard(g_lock);
  std::optional<ItemRef> found = Locate(handle, position, flags);
  if (!found) {
    SetLastError(Find(handle) ? ERROR_MENU_ITEM_NOT_FOUND : ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  const MenuItem item = found->menu->items[found->index];
  found->menu->items.erase(found->menu->items.begin() + static_cast<std::ptrdiff_t>(found->index));
  if (destroyPopup && (item.flags & MF_POPUP)) DestroyTree(item.popup);
  return true;
}

// ---- Menu resources --------------------------------------------------------------

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
    } else if (line[i] == '"') {
      std::string word;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          ++i;
          word.push_back(line[i] == 'n' ? '\n' : line[i] == 't' ? '\t' : line[i]);
        } else {
          word.push_back(line[i]);
        }
      }
      ++i;
      words.push_back(word);
    } else {
      const size_t end = line.find_first_of(" \t\r", i);
      words.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? line.size() : end;
    }
  }
  return words;
}

// Builds the menu of a resource's statements; false (and nothing left behind)
// when the text is malformed.
bool BuildFromText(const std::string& text, HMENU top) {
  std::vector<HMENU> open = {top};
  std::stringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    if (w[0] == "END" && w.size() == 1) {
      if (open.size() == 1) return false;
      open.pop_back();
    } else if (w[0] == "POPUP" && w.size() == 2) {
      HMENU popup = CreatePopupMenu();
      AppendMenuA(open.back(), MF_POPUP, popup, platform::AnsiFromUtf8(w[1]).c_str());
      open.push_back(popup);
    } else if (w[0] == "MENUITEM" && w.size() == 2 && w[1] == "SEPARATOR") {
      AppendMenuA(open.back(), MF_SEPARATOR, 0, nullptr);
    } else if (w[0] == "MENUITEM" && w.size() >= 3) {
      UINT flags = MF_STRING;
      for (size_t i = 3; i < w.size(); ++i) {
        // clang-format off
        if (w[i] == "GRAYED") flags |= MF_GRAYED;
        else if (w[i] == "CHECKED") flags |= MF_CHECKED;
        else if (w[i] == "DISABLED") flags |= MF_DISABLED;
        else return false;
        // clang-format on
      }
      AppendMenuA(open.back(), flags, std::strtoul(w[2].c_str(), nullptr, 0), platform::AnsiFromUtf8(w[1]).c_str());
    } else {
      return false;
    }
  }
  return open.size() == 1;
}

std::string Plain(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    if (text[i] == '&') ++i;
    plain.push_back(text[i]);
  }
  return plain;
}

bool IsEnabledCommand(HMENU menu, UINT id) {
  std::lock_guard guard(g_lock);
  std::optional<ItemRef> found = Locate(menu, id, MF_BYCOMMAND);
  return found && !(found->menu->items[found->index].flags & (MF_GRAYED | MF_DISABLED));
}

UINT FindCommand(HMENU handle, const std::string& text, int depth) {
  Menu* menu = Find(handle);
  if (!menu || depth > 16) return 0;
  for (const MenuItem& item : menu->items) {
    if (item.flags & MF_SEPARATOR) continue;
    if (item.flags & MF_POPUP) {
      if (UINT id = FindCommand(item.popup, text, depth + 1)) return id;
    } else if (!(item.flags & (MF_GRAYED | MF_DISABLED)) && Plain(item.text) == text) {
      return item.id;
    }
  }
  return 0;
}

}  // namespace

UINT FindMenuCommand(HMENU menu, const std::string& text) {
  std::lock_guard guard(g_lock);
  return FindCommand(menu, text, 0);
}

}  // namespace platform::ui

namespace {
std::atomic<platform::MenuPresenter> g_presenter{nullptr};
}  // namespace

void platform::SetMenuPresenter(MenuPresenter presenter) { g_presenter = presenter; }

void platform::SetMenuChooser(MenuChooser chooser) {
  std::lock_guard guard(platform::ui::g_chooserLock);
  platform::ui::g_chooser = std::move(chooser);
}

using namespace platform::ui;

ZEL_EXTERN_C HMENU CreateMenu(void) { return NewMenu(); }
ZEL_EXTERN_C HMENU CreatePopupMenu(void) { return NewMenu(); }

ZEL_EXTERN_C BOOL DestroyMenu(HMENU menu) {
  std::lock_guard guard(g_lock);
  if (!Find(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  DestroyTree(menu);
  for (auto* table : {&g_windowMenus, &g_systemMenus}) {
    for (auto it = table->begin(); it != table->end();) it = it->second == menu ? table->erase(it) : std::next(it);
  }
  return TRUE;
}

ZEL_EXTERN_C HMENU LoadMenuA(HINSTANCE instance, LPCSTR name) {
  auto data = platform::FindModuleResource(instance, name, MAKEINTRESOURCEA(4) /* RT_MENU */);
  if (!data) return 0;
  HMENU menu = CreateMenu();
  if (!BuildFromText(std::string(reinterpret_cast<const char*>(data->data()), data->size()), menu)) {
    DestroyMenu(menu);
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  return menu;
}

ZEL_EXTERN_C BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
  return Insert(menu, true, 0, 0, flags, idNewItem, text) ? TRUE : FALSE;
}

ZEL_EXTERN_C BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
  const bool append = (flags & MF_BYPOSITION) && position == 0xFFFFFFFFu;
  return Insert(menu, append, position, flags & MF_BYPOSITION, flags & ~MF_BYPOSITION, idNewItem, text) ? TRUE : FALSE;
}

ZEL_EXTERN_C BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  return Remove(menu, position, flags, true) ? TRUE : FALSE;
}

ZEL_EXTERN_C BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  return Remove(menu, position, flags, false) ? TRUE : FALSE;
}

ZEL_EXTERN_C HMENU GetSubMenu(HMENU menu, int position) {
  std::lock_guard guard(g_lock);
  Menu* found = Find(menu);
  if (!found || position < 0 || static_cast<size_t>(position) >= found->items.size()) return 0;
  const MenuItem& item = found->items[static_cast<size_t>(position)];
  return (item.flags & MF_POPUP) ? item.popup : 0;
}

ZEL_EXTERN_C int GetMenuItemCount(HMENU menu) {
  std::lock_guard guard(g_lock);
  Menu* found = Find(menu);
  if (!found) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  return static_cast<int>(found->items.size());
}

ZEL_EXTERN_C UINT GetMenuItemID(HMENU menu, int position) {
  std::lock_guard guard(g_lock);
  Menu* found = Find(menu);
  if (!found || position < 0 || static_cast<size_t>(position) >= found->items.size()) return 0xFFFFFFFFu;
  const MenuItem& item = found->items[static_cast<size_t>(position)];
  if (item.flags & MF_POPUP) return 0xFFFFFFFFu;
  return item.id;
}

ZEL_EXTERN_C int GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags) {
  std::lock_guard guard(g_lock);
  std::optional<ItemRef> found = Locate(menu, item, flags);
  if (!found) return 0;
  const std::string& value = found->menu->items[found->index].text;
  if (!text || size <= 0) return static_cast<int>(value.size());
  const size_t n = std::min(value.size(), static_cast<size_t>(size - 1));
  value.copy(text, n);
  text[n] = 0;
  return static_cast<int>(n);
}

ZEL_EXTERN_C DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  std::lock_guard guard(g_lock);
  std::optional<ItemRef> found = Locate(menu, item, check & MF_BYPOSITION);
  if (!found) return 0xFFFFFFFFu;
  MenuItem& entry = found->menu->items[found->index];
  const DWORD previous = entry.flags & MF_CHECKED;
  entry.flags = (entry.flags & ~MF_CHECKED) | (check & MF_CHECKED);
  return previous;
}

ZEL_EXTERN_C BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  std::lock_guard guard(g_lock);
  std::optional<ItemRef> found = Locate(menu, item, enable & MF_BYPOSITION);
  if (!found) return -1;
  MenuItem& entry = found->menu->items[found->index];
  const BOOL previous = static_cast<BOOL>(entry.flags & (MF_GRAYED | MF_DISABLED));
  entry.flags = (entry.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

ZEL_EXTERN_C UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  std::lock_guard guard(g_lock);
  std::optional<ItemRef> found = Locate(menu, item, flags);
  if (!found) return 0xFFFFFFFFu;
  const MenuItem& entry = found->menu->items[found->index];
  if (entry.flags & MF_POPUP) {
    const Menu* popup = Find(entry.popup);
    const UINT count = popup ? static_cast<UINT>(popup->items.size()) : 0;
    return (count << 8) | (entry.flags & 0xFFu);
  }
  return entry.flags;
}

ZEL_EXTERN_C BOOL SetMenu(HWND window, HMENU menu) {
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard guard(g_lock);
  if (menu && !Find(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (menu) {
    g_windowMenus[window] = menu;
  } else {
    g_windowMenus.erase(window);
  }
  return TRUE;
}

ZEL_EXTERN_C HMENU GetMenu(HWND window) {
  std::lock_guard guard(g_lock);
  const auto found = g_windowMenus.find(window);
  if (found == g_windowMenus.end() || !IsWindow(window)) return 0;
  return found->second;
}

ZEL_EXTERN_C HMENU GetSystemMenu(HWND window, BOOL revert) {
  if (!IsWindow(window)) return 0;
  std::lock_guard guard(g_lock);
  const auto found = g_systemMenus.find(window);
  if (revert) {
    if (found != g_systemMenus.end()) {
      DestroyTree(found->second);
      g_systemMenus.erase(found);
    }
    return 0;
  }
  if (found != g_systemMenus.end() && Find(found->second)) return found->second;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | MF_GRAYED, SC_RESTORE, "&Restore");
  AppendMenuA(menu, MF_STRING, SC_MOVE, "&Move");
  AppendMenuA(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  g_systemMenus[window] = menu;
  return menu;
}

ZEL_EXTERN_C BOOL DrawMenuBar(HWND window) { return IsWindow(window) ? TRUE : FALSE; }

ZEL_EXTERN_C BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS) {
  {
    std::lock_guard guard(g_lock);
    if (!Find(menu)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
  }
  platform::MenuChooser chooser;
  {
    std::lock_guard guard(g_chooserLock);
    chooser = g_chooser;
  }
  UINT picked = 0;
  if (chooser) {
    picked = chooser(platform::MenuRequest{menu, owner});
  } else if (const platform::MenuPresenter presenter = g_presenter; presenter) {
    presenter(platform::MenuRequest{menu, owner}, x, y, &picked);
  }
  // Only what a person could click counts: an enabled command of this menu.
  if (picked && !IsEnabledCommand(menu, picked)) picked = 0;
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(picked);
  if (!picked) return FALSE;
  if (!(flags & TPM_NONOTIFY) && owner) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(picked, 0), 0);
  return TRUE;
}

ZEL_EXTERN_C BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}
