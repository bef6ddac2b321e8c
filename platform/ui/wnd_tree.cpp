#include "platform/ui/wnd_tree.h"

#include "platform/ui/dialog.h"

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/resources.h"
#include "platform/ui/notify_records.h"
#include "platform/ui/x11_display.h"

namespace platform::ui {
namespace {

std::recursive_mutex g_treeLock;
std::map<HWND, Node> g_nodes;

struct CaseLess {
  bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};
std::map<std::string, WNDPROC, CaseLess>& Classes() {
  // clang-format off
  static std::map<std::string, WNDPROC, CaseLess> classes = {
      {"BUTTON", ButtonProcedure},    {"EDIT", EditProcedure},         {"STATIC", StaticProcedure},
      {"LISTBOX", ListBoxProcedure},  {"COMBOBOX", ComboBoxProcedure}, {"#32770", DialogProcedure},
      {PROGRESS_CLASSA, ProgressProcedure}, {"SCROLLBAR", ScrollBarProcedure},
      {"SysTabControl32", TabControlProcedure}};
  // clang-format on
  return classes;
}

// Focus, capture and cursor belong to the thread's input, as on Windows.
thread_local HWND t_focus = 0;
thread_local HWND t_capture = 0;
thread_local HCURSOR t_cursor = 0;
thread_local void (*t_creationHook)(HWND, void*) = nullptr;
thread_local void* t_creationContext = nullptr;

class Cursor : public KernelObject {
 public:
  explicit Cursor(bool shared) : system(shared) {}
  bool system;
};

WNDPROC ClassProcedure(LPCSTR name) {
  if (!name || IS_INTRESOURCE(name)) return nullptr;
  std::lock_guard guard(g_treeLock);
  const auto found = Classes().find(name);
  return found == Classes().end() ? nullptr : found->second;
}

bool Created(HWND window, DWORD exStyle, LPCSTR className, DWORD style, int x, int y, int width, int height,
             HWND parent, HMENU menu, LPVOID param) {
  {
    std::lock_guard guard(g_treeLock);
    Node node;
    node.parent = (style & WS_CHILD) ? parent : 0;
    node.owner = (style & WS_CHILD) ? 0 : parent;
    node.id = (style & WS_CHILD) ? static_cast<int>(menu) : 0;
    node.style = style;
    node.exStyle = exStyle;
    node.rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    node.className = className && !IS_INTRESOURCE(className) ? className : "";
    node.invalid = true;
    node.erase = true;
    if (node.parent) {
      auto p = g_nodes.find(node.parent);
      if (p != g_nodes.end()) p->second.children.push_back(window);
    }
    g_nodes[window] = node;
  }
  if (auto hook = std::exchange(t_creationHook, nullptr)) hook(window, t_creationContext);
  // clang-format off
  CREATESTRUCTA create{param, static_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), menu, parent,
                       height, width, y, x, static_cast<LONG>(style), nullptr, className, exStyle};
  // clang-format on
  if (!SendMessageA(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) return false;
  return SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) != -1;
}

void Destroying(HWND window) {
  std::vector<HWND> children;
  {
    std::lock_guard guard(g_treeLock);
    auto node = g_nodes.find(window);
    if (node != g_nodes.end()) children = node->second.children;
  }
  for (HWND child : children) DestroyWindow(child);
  SendMessageA(window, WM_NCDESTROY, 0, 0);
}

void Destroyed(HWND window) {
  std::lock_guard guard(g_treeLock);
  auto node = g_nodes.find(window);
  if (node == g_nodes.end()) return;
  if (node->second.parent) {
    auto p = g_nodes.find(node->second.parent);
    if (p != g_nodes.end()) std::erase(p->second.children, window);
  }
  g_nodes.erase(node);
  if (t_focus == window) t_focus = 0;
  if (t_capture == window) t_capture = 0;
  x11::WindowDestroyed(window);
}

LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT:
      StoreWindowText(window, reinterpret_cast<LPCSTR>(lParam));
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    case WM_GETTEXT: return GetWindowTextA(window, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: {
      char buffer[4096];
      return GetWindowTextA(window, buffer, sizeof buffer);
    }
    case WM_SETFONT: {
      std::lock_guard guard(g_treeLock);
      auto node = g_nodes.find(window);
      if (node != g_nodes.end()) node->second.font = static_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT: return static_cast<LRESULT>(WindowFont(window));
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(static_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    default: return 0;
  }
}

const bool g_hooksInstalled = [] {
  WindowHooks& hooks = Hooks();
  hooks.classProcedure = ClassProcedure;
  hooks.created = Created;
  hooks.destroying = Destroying;
  hooks.destroyed = Destroyed;
  hooks.defaultProcedure = DefaultProcedure;
  return true;
}();

std::shared_ptr<platform::gdi::PixelSurface> g_screen;

}  // namespace

void SetCreationHook(void (*hook)(HWND window, void* context), void* context) {
  t_creationHook = hook;
  t_creationContext = context;
}

bool GetNode(HWND window, Node* out) {
  std::lock_guard guard(g_treeLock);
  auto node = g_nodes.find(window);
  if (node == g_nodes.end()) return false;
  if (out) *out = node->second;
  return true;
}

bool UpdateNode(HWND window, void (*change)(Node&, const void*), const void* argument) {
  std::lock_guard guard(g_treeLock);
  auto node = g_nodes.find(window);
  if (node == g_nodes.end()) return false;
  change(node->second, argument);
  return true;
}

void SetNodeStyle(HWND window, DWORD style) {
  UpdateNode(
      window, [](Node& n, const void* a) { n.style = *static_cast<const DWORD*>(a); }, &style);
}

std::shared_ptr<platform::gdi::PixelSurface> WindowSurface(HWND window) {
  std::lock_guard guard(g_treeLock);
  auto node = g_nodes.find(window);
  if (node == g_nodes.end()) return nullptr;
  Node& n = node->second;
  const int width = n.rect.right - n.rect.left, height = n.rect.bottom - n.rect.top;
  if (!n.surface || n.surface->width != width || n.surface->height != height) {
    n.surface = std::make_shared<platform::gdi::PixelSurface>(width, height, 32);
  }
  return n.surface;
}

HFONT WindowFont(HWND window) {
  Node node;
  return GetNode(window, &node) ? node.font : 0;
}

void PaintInvalidWindows(HWND root) {
  std::vector<HWND> windows;
  {
    std::lock_guard guard(g_treeLock);
    if (root == 0) {
      for (const auto& [handle, node] : g_nodes) windows.push_back(handle);
    } else {
      std::vector<HWND> stack{root};
      while (!stack.empty()) {
        HWND w = stack.back();
        stack.pop_back();
        auto node = g_nodes.find(w);
        if (node == g_nodes.end()) continue;
        windows.push_back(w);
        stack.insert(stack.end(), node->second.children.begin(), node->second.children.end());
      }
    }
  }
  for (HWND w : windows) UpdateWindow(w);
}

}  // namespace platform::ui

using namespace platform::ui;

ZEL_EXTERN_C ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard guard(g_treeLock);
  auto& classes = Classes();
  if (classes.count(windowClass->lpszClassName)) {
    SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
    return 0;
  }
  classes[windowClass->lpszClassName] = windowClass->lpfnWndProc;
  return static_cast<ATOM>(0xC000 + classes.size());
}

ZEL_EXTERN_C int GetClassNameA(HWND window, LPSTR name, int size) {
  Node node;
  if (!GetNode(window, &node) || !name || size <= 0) return 0;
  const int length = static_cast<int>(std::min<size_t>(node.className.size(), static_cast<size_t>(size - 1)));
  std::memcpy(name, node.className.data(), static_cast<size_t>(length));
  name[length] = 0;
  return length;
}

ZEL_EXTERN_C HWND GetParent(HWND window) {
  Node node;
  return GetNode(window, &node) ? node.parent : 0;
}

ZEL_EXTERN_C HWND GetWindow(HWND window, UINT relation) {
  std::lock_guard guard(g_treeLock);
  auto node = g_nodes.find(window);
  if (node == g_nodes.end()) return 0;
  if (relation == GW_CHILD) return node->second.children.empty() ? 0 : node->second.children.front();
  if (relation == GW_OWNER) return g_nodes.count(node->second.owner) ? node->second.owner : HWND(0);
  auto parent = g_nodes.find(node->second.parent);
  if (parent == g_nodes.end()) return 0;
  const std::vector<HWND>& siblings = parent->second.children;
  const auto at = std::find(siblings.begin(), siblings.end(), window);
  switch (relation) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return at + 1 < siblings.end() ? *(at + 1) : 0;
    case GW_HWNDPREV: return at > siblings.begin() ? *(at - 1) : 0;
    default: return 0;
  }
}

ZEL_EXTERN_C HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard guard(g_treeLock);
  auto node = g_nodes.find(dialog);
  if (node == g_nodes.end()) return 0;
  for (HWND child : node->second.children) {
    auto c = g_nodes.find(child);
    if (c != g_nodes.end() && c->second.id == id) return child;
  }
  SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
  return 0;
}

ZEL_EXTERN_C int GetDlgCtrlID(HWND window) {
  Node node;
  return GetNode(window, &node) ? node.id : 0;
}

ZEL_EXTERN_C LONG GetWindowLongA(HWND window, int index) {
  Node node;
  if (index == GWL_STYLE || index == GWL_EXSTYLE || index == GWL_ID) {
    if (!GetNode(window, &node)) return 0;
    return index == GWL_STYLE     ? static_cast<LONG>(node.style)
           : index == GWL_EXSTYLE ? static_cast<LONG>(node.exStyle)
                                  : node.id;
  }
  return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

ZEL_EXTERN_C LONG SetWindowLongA(HWND window, int index, LONG value) {
  Node node;
  if (index == GWL_STYLE) {
    if (!GetNode(window, &node)) return 0;
    SetNodeStyle(window, static_cast<DWORD>(value));
    return static_cast<LONG>(node.style);
  }
  return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}

ZEL_EXTERN_C BOOL IsWindowEnabled(HWND window) {
  Node node;
  return GetNode(window, &node) && !(node.style & WS_DISABLED) ? TRUE : FALSE;
}

ZEL_EXTERN_C BOOL EnableWindow(HWND window, BOOL enable) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  const BOOL wasDisabled = (node.style & WS_DISABLED) ? TRUE : FALSE;
  SetNodeStyle(window, enable ? node.style & ~WS_DISABLED : node.style | WS_DISABLED);
  if (wasDisabled == (enable ? TRUE : FALSE)) {
    SendMessageA(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    InvalidateRect(window, nullptr, TRUE);
  }
  if (!enable && t_focus == window) t_focus = 0;
  return wasDisabled;
}

ZEL_EXTERN_C BOOL IsWindowVisible(HWND window) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  while (true) {
    if (!(node.style & WS_VISIBLE)) return FALSE;
    if (!node.parent) return TRUE;
    if (!GetNode(node.parent, &node)) return TRUE;
  }
}

ZEL_EXTERN_C BOOL ShowWindow(HWND window, int command) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  const BOOL wasVisible = (node.style & WS_VISIBLE) ? TRUE : FALSE;
  const bool show = command != SW_HIDE;
  DWORD style = show ? node.style | WS_VISIBLE : node.style & ~WS_VISIBLE;
  if (command == SW_SHOWMINIMIZED || command == SW_MINIMIZE || command == SW_SHOWMINNOACTIVE) {
    style |= WS_MINIMIZE;
  } else if (command == SW_SHOWNORMAL || command == SW_RESTORE || command == SW_SHOW) {
    style &= ~WS_MINIMIZE;
  }
  SetNodeStyle(window, style);
  if (show != static_cast<bool>(wasVisible)) {
    SendMessageA(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (show) InvalidateRect(window, nullptr, TRUE);
  }
  // Minimising and restoring tell the window, as the window manager's do.
  if ((style & WS_MINIMIZE) != (node.style & WS_MINIMIZE)) {
    RECT client{};
    GetClientRect(window, &client);
    SendMessageA(window, WM_SIZE, (style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED,
                 (style & WS_MINIMIZE) ? 0 : MAKELPARAM(client.right, client.bottom));
  }
  if (!(node.style & WS_CHILD)) {
    x11::WindowShown(window, show);
    // A window with a title bar coming up is what a person notices; pop-ups
    // without one (menus, tips) are not recorded.
    if (show && !wasVisible && (node.style & WS_CAPTION) == WS_CAPTION) platform::RecordWindowShown(window);
  }
  return wasVisible;
}

ZEL_EXTERN_C BOOL IsIconic(HWND window) {
  Node node;
  return GetNode(window, &node) && (node.style & WS_MINIMIZE) ? TRUE : FALSE;
}

namespace {
std::atomic<HWND> g_foreground{0};
}  // namespace

ZEL_EXTERN_C BOOL SetForegroundWindow(HWND window) {
  if (!IsWindow(window)) return FALSE;
  g_foreground = window;
  platform::RecordWindowToFront(window);
  return TRUE;
}

ZEL_EXTERN_C HWND GetForegroundWindow(void) { return IsWindow(g_foreground) ? HWND(g_foreground) : HWND(0); }

ZEL_EXTERN_C BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  const RECT rect{x, y, x + width, y + height};
  if (!UpdateNode(
          window, [](Node& n, const void* a) { n.rect = *static_cast<const RECT*>(a); }, &rect)) {
    return FALSE;
  }
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(width, height));
  if (repaint) InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

ZEL_EXTERN_C BOOL SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  // Only a change of place (the stand-in keeps no z-order): a window asked to
  // stay where it is and as large as it is gets no WM_SIZE.
  if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return TRUE;
  if (flags & SWP_NOMOVE) {
    x = node.rect.left;
    y = node.rect.top;
  }
  if (flags & SWP_NOSIZE) {
    width = node.rect.right - node.rect.left;
    height = node.rect.bottom - node.rect.top;
  }
  return MoveWindow(window, x, y, width, height, TRUE);
}

ZEL_EXTERN_C BOOL GetClientRect(HWND window, LPRECT rect) {
  Node node;
  if (!rect || !GetNode(window, &node)) return FALSE;
  *rect = RECT{0, 0, node.rect.right - node.rect.left, node.rect.bottom - node.rect.top};
  return TRUE;
}

ZEL_EXTERN_C BOOL ClientToScreen(HWND window, LPPOINT point) {
  Node node;
  if (!point || !GetNode(window, &node)) return FALSE;
  while (true) {
    point->x += node.rect.left;
    point->y += node.rect.top;
    if (!node.parent || !GetNode(node.parent, &node)) return TRUE;
  }
}

ZEL_EXTERN_C BOOL ScreenToClient(HWND window, LPPOINT point) {
  POINT origin{0, 0};
  if (!point || !ClientToScreen(window, &origin)) return FALSE;
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

ZEL_EXTERN_C BOOL GetWindowRect(HWND window, LPRECT rect) {
  Node node;
  if (!rect || !GetNode(window, &node)) return FALSE;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  *rect = RECT{origin.x, origin.y, origin.x + node.rect.right - node.rect.left,
               origin.y + node.rect.bottom - node.rect.top};
  return TRUE;
}

ZEL_EXTERN_C HWND GetDesktopWindow(void) { return 0; }

ZEL_EXTERN_C HWND SetFocus(HWND window) {
  const HWND previous = t_focus;
  if (window && !GetNode(window, nullptr)) return 0;
  if (window == previous) return previous;
  t_focus = window;
  if (previous) SendMessageA(previous, WM_KILLFOCUS, window, 0);
  if (window && t_focus == window) SendMessageA(window, WM_SETFOCUS, previous, 0);
  return previous;
}

ZEL_EXTERN_C HWND GetFocus(void) { return t_focus; }

ZEL_EXTERN_C HWND GetActiveWindow(void) {
  HWND window = t_focus;
  while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) window = GetParent(window);
  return window;
}

ZEL_EXTERN_C HWND SetCapture(HWND window) { return std::exchange(t_capture, window); }
ZEL_EXTERN_C BOOL ReleaseCapture(void) {
  t_capture = 0;
  return TRUE;
}
ZEL_EXTERN_C HWND GetCapture(void) { return t_capture; }

ZEL_EXTERN_C HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  static std::mutex mutex;
  static std::map<ULONG_PTR, HCURSOR> system;
  if (instance == 0) {
    if (!IS_INTRESOURCE(name)) return 0;
    std::lock_guard guard(mutex);
    HCURSOR& cursor = system[reinterpret_cast<ULONG_PTR>(name)];
    if (!cursor) cursor = platform::InsertHandle(std::make_shared<Cursor>(true));
    return cursor;
  }
  if (!platform::FindModuleResource(instance, name, RT_CURSOR)) return 0;
  return platform::InsertHandle(std::make_shared<Cursor>(false));
}

ZEL_EXTERN_C HCURSOR SetCursor(HCURSOR cursor) { return std::exchange(t_cursor, cursor); }
ZEL_EXTERN_C HCURSOR GetCursor(void) { return t_cursor; }

ZEL_EXTERN_C BOOL DestroyCursor(HCURSOR cursor) {
  auto object = platform::LookupHandle<Cursor>(cursor);
  if (!object) return FALSE;
  if (object->system) return TRUE;
  if (t_cursor == cursor) t_cursor = 0;
  return platform::RemoveHandle(cursor) ? TRUE : FALSE;
}

ZEL_EXTERN_C BOOL InvalidateRect(HWND window, const RECT*, BOOL erase) {
  return UpdateNode(
             window,
             [](Node& n, const void* a) {
               n.invalid = true;
               n.erase = n.erase || *static_cast<const BOOL*>(a);
             },
             &erase)
             ? TRUE
             : FALSE;
}

ZEL_EXTERN_C BOOL UpdateWindow(HWND window) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  if (node.invalid && IsWindowVisible(window)) SendMessageA(window, WM_PAINT, 0, 0);
  return TRUE;
}

ZEL_EXTERN_C BOOL RedrawWindow(HWND window, const RECT* rect, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(window, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_ALLCHILDREN) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RedrawWindow(child, nullptr, 0, flags);
    }
  }
  if (flags & RDW_UPDATENOW) UpdateWindow(window);
  return TRUE;
}

ZEL_EXTERN_C HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  Node node;
  if (!paint || !GetNode(window, &node)) return 0;
  *paint = PAINTSTRUCT{};
  paint->hdc = platform::gdi::CreateSurfaceDC(WindowSurface(window), window);
  GetClientRect(window, &paint->rcPaint);
  UpdateNode(
      window, [](Node& n, const void*) { n.invalid = false; }, nullptr);
  if (node.erase) {
    UpdateNode(
        window, [](Node& n, const void*) { n.erase = false; }, nullptr);
    paint->fErase = SendMessageA(window, WM_ERASEBKGND, static_cast<WPARAM>(paint->hdc), 0) ? FALSE : TRUE;
  }
  return paint->hdc;
}

ZEL_EXTERN_C BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (paint && paint->hdc) DeleteDC(paint->hdc);
  return TRUE;
}

ZEL_EXTERN_C HDC GetDC(HWND window) {
  if (window == 0) {
    if (!g_screen) g_screen = std::make_shared<platform::gdi::PixelSurface>(1, 1, 32);
    return platform::gdi::CreateSurfaceDC(g_screen, 0);
  }
  auto surface = WindowSurface(window);
  return surface ? platform::gdi::CreateSurfaceDC(surface, window) : 0;
}

ZEL_EXTERN_C int ReleaseDC(HWND, HDC hdc) { return DeleteDC(hdc) ? 1 : 0; }

ZEL_EXTERN_C BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextA(item, text) : FALSE;
}

ZEL_EXTERN_C UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (text && size > 0) text[0] = 0;
    return 0;
  }
  return static_cast<UINT>(SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
}

ZEL_EXTERN_C BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  } else {
    std::snprintf(text, sizeof text, "%u", value);
  }
  return SetDlgItemTextA(dialog, id, text);
}

ZEL_EXTERN_C UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  char text[64] = {};
  if (translated) *translated = FALSE;
  if (!GetDlgItem(dialog, id)) return 0;
  GetDlgItemTextA(dialog, id, text, sizeof text);
  const char* p = text;
  while (*p == ' ') ++p;
  bool negative = false;
  if (isSigned && *p == '-') {
    negative = true;
    ++p;
  }
  if (*p < '0' || *p > '9') return 0;
  unsigned long long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + static_cast<unsigned>(*p - '0');
    if (value > 0xFFFFFFFFull) return 0;
    ++p;
  }
  while (*p == ' ') ++p;
  if (*p) return 0;
  // Signed, the number must fit an int.
  if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  if (translated) *translated = TRUE;
  return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

ZEL_EXTERN_C LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageA(item, message, wParam, lParam) : 0;
}

ZEL_EXTERN_C BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  return GetDlgItem(dialog, id) ? (SendDlgItemMessageA(dialog, id, BM_SETCHECK, check, 0), TRUE) : FALSE;
}

ZEL_EXTERN_C UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

ZEL_EXTERN_C HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  Node node;
  if (!GetNode(dialog, &node) || node.children.empty()) return 0;
  std::vector<HWND> order = node.children;
  if (previous) std::reverse(order.begin(), order.end());
  const auto at = std::find(order.begin(), order.end(), control);
  const size_t start = at == order.end() ? order.size() - 1 : static_cast<size_t>(at - order.begin());
  for (size_t step = 1; step <= order.size(); ++step) {
    HWND candidate = order[(start + step) % order.size()];
    Node c;
    if (GetNode(candidate, &c) && (c.style & WS_TABSTOP) && (c.style & WS_VISIBLE) && !(c.style & WS_DISABLED)) {
      return candidate;
    }
  }
  return 0;
}

ZEL_EXTERN_C BOOL SetScrollRange(HWND window, int, int minimum, int maximum, BOOL redraw) {
  const int range[2] = {minimum, maximum};
  if (!UpdateNode(
          window,
          [](Node& n, const void* a) {
            const int* r = static_cast<const int*>(a);
            n.scrollMinimum = r[0];
            n.scrollMaximum = r[1];
            n.scrollPosition = std::clamp(n.scrollPosition, std::min(r[0], r[1]), std::max(r[0], r[1]));
          },
          range)) {
    return FALSE;
  }
  if (redraw) InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

ZEL_EXTERN_C BOOL GetScrollRange(HWND window, int, LPINT minimum, LPINT maximum) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  if (minimum) *minimum = node.scrollMinimum;
  if (maximum) *maximum = node.scrollMaximum;
  return TRUE;
}

ZEL_EXTERN_C int SetScrollPos(HWND window, int, int position, BOOL redraw) {
  Node node;
  if (!GetNode(window, &node)) return 0;
  UpdateNode(
      window, [](Node& n, const void* a) { n.scrollPosition = *static_cast<const int*>(a); }, &position);
  if (redraw) InvalidateRect(window, nullptr, TRUE);
  return node.scrollPosition;
}

ZEL_EXTERN_C int GetScrollPos(HWND window, int) {
  Node node;
  return GetNode(window, &node) ? node.scrollPosition : 0;
}

ZEL_EXTERN_C BOOL ScrollWindow(HWND window, int dx, int dy, const RECT*, const RECT*) {
  Node node;
  if (!GetNode(window, &node)) return FALSE;
  for (HWND child : node.children) {
    Node c;
    if (!GetNode(child, &c)) continue;
    MoveWindow(child, c.rect.left + dx, c.rect.top + dy, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, FALSE);
  }
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}
