// Xlib rather than XCB: Xlib splits large images into requests itself and
// brings the keyboard mapping (key codes to symbols with the modifiers) that
// XCB leaves to extra libraries.
#include "platform/ui/x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/window.h"
#include "platform/ui/window_picture.h"
#include "platform/ui/wnd_tree.h"
#include "platform/ui/x11_keys.h"
#include "platform/ui/x11_popups.h"

#ifndef WM_SYSKEYUP
#define WM_SYSKEYUP 0x0105u
#endif

namespace platform::ui::x11 {
namespace {

using platform::gdi::PixelSurface;

constexpr WPARAM kSizeRestored = 0;
constexpr WPARAM kSizeMinimized = 1;
// What Windows takes as a double-click: a second press soon and near.
constexpr Time kDoubleClickTime = 500;
constexpr int kDoubleClickDistance = 4;

struct Shown {
  ::Window xid = 0;
  HWND window = 0;
  std::shared_ptr<PixelSurface> last;  // the picture the display has
  std::string title;
  bool mapped = false;
  bool hiding = false;  // an unmap we asked for, not the person's minimising
  bool minimized = false;
  RECT placed{};  // the window's rectangle as the display last had it
};

struct Pointer {
  HWND window = 0;
  unsigned button = 0;
  Time time = 0;
  int x = 0, y = 0;
};

struct Display {
  ::Display* x = nullptr;
  int screen = 0;
  Visual* visual = nullptr;
  int depth = 0;
  GC gc = nullptr;
  Atom protocols = 0, deleteWindow = 0, netName = 0, utf8 = 0;
  std::thread::id owner;
  int wakeFd = -1;
  std::map<HWND, Shown> windows;
  Pointer lastPress;
  std::string mapPath;  // ZEL_DISPLAY_MAP: where the controls' places are written for tests
};

std::once_flag g_openOnce;
Display* g_display = nullptr;
std::atomic<bool> g_active{false};

bool OnOwnerThread() { return g_display && std::this_thread::get_id() == g_display->owner; }

// A protocol error (a window gone before its request arrived) is no reason to
// end the program.
int IgnoreError(::Display*, XErrorEvent*) { return 0; }

void ReadInput();
bool WaitInput(int milliseconds);

void Wake() {
  if (!g_display || g_display->wakeFd < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(g_display->wakeFd, &one, sizeof one);
}

bool SwitchedOff() {
  const char* setting = std::getenv("ZEL_DISPLAY");
  if (!setting) return false;
  return strcasecmp(setting, "off") == 0 || strcasecmp(setting, "none") == 0 || std::strcmp(setting, "0") == 0;
}

void Open() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name || SwitchedOff()) return;
  ::Display* x = XOpenDisplay(nullptr);
  if (!x) {
    OutputDebugStringA(("the display " + std::string(name) + " cannot be opened; windows stay headless\n").c_str());
    return;
  }
  XSetErrorHandler(IgnoreError);
  auto* d = new Display;
  d->x = x;
  d->screen = DefaultScreen(x);
  d->visual = DefaultVisual(x, d->screen);
  d->depth = DefaultDepth(x, d->screen);
  d->gc = DefaultGC(x, d->screen);
  d->protocols = XInternAtom(x, "WM_PROTOCOLS", False);
  d->deleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
  d->netName = XInternAtom(x, "_NET_WM_NAME", False);
  d->utf8 = XInternAtom(x, "UTF8_STRING", False);
  d->owner = std::this_thread::get_id();
  d->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (const char* map = std::getenv("ZEL_DISPLAY_MAP")) d->mapPath = map;
  g_display = d;
  WindowHooks& hooks = Hooks();
  hooks.readInput = ReadInput;
  hooks.waitInput = WaitInput;
  hooks.posted = Wake;
  platform::SetMessageBoxPresenter(ShowMessageBoxWindow);
  platform::SetMenuPresenter(ShowPopupMenuWindow);
  g_active = true;
}

// The colour masks of the visual, as shifts of 8-bit channels.
int ShiftOf(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++shift;
  return shift;
}

void Put(Shown& shown, const PixelSurface& picture) {
  if (picture.width <= 0 || picture.height <= 0) return;
  Display& d = *g_display;
  const int rs = ShiftOf(d.visual->red_mask), gs = ShiftOf(d.visual->green_mask), bs = ShiftOf(d.visual->blue_mask);
  auto* data = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(picture.width) * picture.height * 4));
  if (!data) return;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const COLORREF c = picture.pixels[i];
    data[i] = (static_cast<uint32_t>(c & 0xFF) << rs) | (static_cast<uint32_t>((c >> 8) & 0xFF) << gs) |
              (static_cast<uint32_t>((c >> 16) & 0xFF) << bs);
  }
  XImage* image = XCreateImage(d.x, d.visual, static_cast<unsigned>(d.depth), ZPixmap, 0, reinterpret_cast<char*>(data),
                               static_cast<unsigned>(picture.width), static_cast<unsigned>(picture.height), 32, 0);
  if (!image) {
    std::free(data);
    return;
  }
  XPutImage(d.x, shown.xid, d.gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
            static_cast<unsigned>(picture.height));
  XDestroyImage(image);  // frees `data`
}

void FixSize(::Window xid, int width, int height) {
  XSizeHints* hints = XAllocSizeHints();
  if (!hints) return;
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = width;
  hints->min_height = hints->max_height = height;
  XSetWMNormalHints(g_display->x, xid, hints);
  XFree(hints);
}

void SetTitle(Shown& shown, const std::string& ansi) {
  shown.title = ansi;
  const std::string utf8 = platform::Utf8FromAnsi(ansi);
  Display& d = *g_display;
  XChangeProperty(d.x, shown.xid, d.netName, d.utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
  XStoreName(d.x, shown.xid, utf8.c_str());
}

std::string TitleOf(HWND window) {
  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

HWND TopLevelOf(HWND window) {
  while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) window = GetParent(window);
  return window;
}

// The window's rectangle moves to where the display has it (the person or the
// window manager moved it): GetWindowRect sees the new place, and the window
// hears WM_MOVE with its client area's new origin.
void Place(HWND window, int x, int y) {
  RECT rect{};
  GetWindowRect(window, &rect);
  if (rect.left == x && rect.top == y) return;
  const RECT moved{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
  UpdateNode(
      window, [](Node& n, const void* a) { n.rect = *static_cast<const RECT*>(a); }, &moved);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  PostMessageA(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
}

// Where a top-level window is on the screen: a window manager's frame holds it
// somewhere inside, so the position is asked of the server, not the event.
bool RootPosition(::Window xid, int* x, int* y) {
  Display& d = *g_display;
  ::Window child = 0;
  return XTranslateCoordinates(d.x, xid, RootWindow(d.x, d.screen), 0, 0, x, y, &child) != 0;
}

void Create(HWND window) {
  Display& d = *g_display;
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = std::max<int>(1, rect.right - rect.left), height = std::max<int>(1, rect.bottom - rect.top);
  int x = rect.left, y = rect.top;
  const HWND owner = GetWindow(window, GW_OWNER);
  // A window placed nowhere in particular comes up in the middle of its
  // owner, or of the screen.
  if (x == 0 && y == 0) {
    RECT around{0, 0, DisplayWidth(d.x, d.screen), DisplayHeight(d.x, d.screen)};
    if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &around);
    x = std::max<int>(0, (around.left + around.right - width) / 2);
    y = std::max<int>(0, (around.top + around.bottom - height) / 2);
  }
  XSetWindowAttributes attributes{};
  attributes.background_pixel = WhitePixel(d.x, d.screen);
  // A pop-up menu is no window the window manager frames or moves.
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  attributes.override_redirect = std::strcmp(className, "#32768") == 0 ? True : False;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
  Shown shown;
  shown.window = window;
  shown.xid = XCreateWindow(d.x, RootWindow(d.x, d.screen), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask | CWOverrideRedirect, &attributes);
  XSetWMProtocols(d.x, shown.xid, &d.deleteWindow, 1);
  XSizeHints* hints = XAllocSizeHints();
  if (hints) {
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = x, hints->y = y;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(d.x, shown.xid, hints);
    XFree(hints);
  }
  if (owner) {
    if (auto found = d.windows.find(TopLevelOf(owner)); found != d.windows.end()) {
      XSetTransientForHint(d.x, shown.xid, found->second.xid);
    }
  }
  SetTitle(shown, TitleOf(window));
  shown.placed = RECT{x, y, x + width, y + height};
  if (shown.placed.left != rect.left || shown.placed.top != rect.top) Place(window, x, y);
  d.windows[window] = shown;
}

Shown* FindByXid(::Window xid) {
  for (auto& [window, shown] : g_display->windows) {
    if (shown.xid == xid) return &shown;
  }
  return nullptr;
}

// The deepest visible child window under a point of the top-level's client area.
HWND ChildAt(HWND top, int x, int y, int* childX, int* childY) {
  HWND found = top;
  bool descended = true;
  while (descended) {
    descended = false;
    Node node;
    if (!GetNode(found, &node)) break;
    // The later sibling is drawn last, so it is the one on top; group boxes only frame.
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
      Node child;
      if (!GetNode(*it, &child) || !(child.style & WS_VISIBLE) || !(child.style & WS_CHILD)) continue;
      if ((child.style & BS_TYPEMASK) == BS_GROUPBOX && strcasecmp(child.className.c_str(), "Button") == 0) continue;
      int bottom = child.rect.bottom;
      if (strcasecmp(child.className.c_str(), "ComboBox") == 0) bottom = child.rect.top + ComboFieldHeight(*it);
      if (x >= child.rect.left && x < child.rect.right && y >= child.rect.top && y < bottom) {
        x -= child.rect.left;
        y -= child.rect.top;
        found = *it;
        descended = true;
        break;
      }
    }
  }
  *childX = x;
  *childY = y;
  return found;
}

bool EnabledUpTo(HWND window) {
  for (HWND w = window; w; w = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : 0) {
    if (!IsWindowEnabled(w)) return false;
  }
  return true;
}

void Pointed(const XEvent& event, Shown& shown) {
  Display& d = *g_display;
  const bool press = event.type == ButtonPress;
  const bool motion = event.type == MotionNotify;
  const unsigned button = motion ? 0 : event.xbutton.button;
  if (!motion && button != Button1 && button != Button3) return;
  const int px = motion ? event.xmotion.x : event.xbutton.x;
  const int py = motion ? event.xmotion.y : event.xbutton.y;
  const unsigned state = motion ? event.xmotion.state : event.xbutton.state;
  int cx = 0, cy = 0;
  HWND target = ChildAt(shown.window, px, py, &cx, &cy);
  // A window that took the capture gets the pointer wherever it is.
  if (HWND capture = GetCapture(); capture && IsWindow(capture)) {
    POINT origin{0, 0}, top{0, 0};
    ClientToScreen(capture, &origin);
    ClientToScreen(shown.window, &top);
    target = capture;
    cx = px - (origin.x - top.x);
    cy = py - (origin.y - top.y);
  } else if (!EnabledUpTo(target)) {
    return;
  }
  WPARAM keys = 0;
  if ((state & Button1Mask) || (press && button == Button1)) keys |= MK_LBUTTON;
  if (state & ShiftMask) keys |= 0x0004;    // MK_SHIFT
  if (state & ControlMask) keys |= 0x0008;  // MK_CONTROL
  UINT message = WM_MOUSEMOVE;
  if (!motion) {
    const bool left = button == Button1;
    if (press) {
      const Pointer& last = d.lastPress;
      const bool twice = last.window == target && last.button == button &&
                         event.xbutton.time - last.time <= kDoubleClickTime &&
                         std::abs(last.x - px) <= kDoubleClickDistance && std::abs(last.y - py) <= kDoubleClickDistance;
      message = left ? (twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_RBUTTONDOWN;
      // A third press starts counting again.
      d.lastPress = twice ? Pointer{} : Pointer{target, button, event.xbutton.time, px, py};
    } else {
      message = left ? WM_LBUTTONUP : WM_RBUTTONUP;
      if (left) keys &= ~static_cast<WPARAM>(MK_LBUTTON);
    }
  }
  PostMessageA(target, message, keys, MAKELPARAM(cx, cy));
}

void HoldModifiers(unsigned state) {
  SetKeyHeld(VK_SHIFT, (state & ShiftMask) != 0);
  SetKeyHeld(VK_CONTROL, (state & ControlMask) != 0);
  SetKeyHeld(VK_MENU, (state & Mod1Mask) != 0);
}

void Keyed(XEvent& event, Shown& shown) {
  const bool down = event.type == KeyPress;
  const KeySym plain = XLookupKeysym(&event.xkey, 0);
  char bytes[32];
  KeySym typed = NoSymbol;
  XLookupString(&event.xkey, bytes, sizeof bytes, &typed, nullptr);
  const int key = VirtualKeyOf(plain);
  // The modifiers as they are after this key.
  unsigned state = event.xkey.state;
  const unsigned mask = key == VK_SHIFT ? ShiftMask : key == VK_CONTROL ? ControlMask : key == VK_MENU ? Mod1Mask : 0;
  state = down ? (state | mask) : (state & ~mask);
  HoldModifiers(state);
  if (!key && !CharacterOf(typed)) return;
  HWND focus = GetFocus();
  HWND target = focus && TopLevelOf(focus) == shown.window ? focus : (focus ? focus : shown.window);
  const bool alt = (state & Mod1Mask) != 0 && key != VK_MENU;
  const LPARAM lParam =
      static_cast<LPARAM>(1 | (event.xkey.keycode << 16) | (alt ? (1u << 29) : 0) | (down ? 0 : (3u << 30)));
  if (!down) {
    PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(key), lParam);
    return;
  }
  if (key) PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(key), lParam);
  const char32_t character = CharacterOf(typed);
  if (!character || (state & ControlMask)) return;
  if (alt) {
    if (character < 0x80) PostMessageA(target, WM_SYSCHAR, static_cast<WPARAM>(character), lParam);
    return;
  }
  // Characters reach the windows in the process's code page, a double-byte
  // character as its two bytes one after the other, as Windows sends them.
  char utf8[8] = {};
  const char32_t c = character;
  if (c < 0x80) {
    utf8[0] = static_cast<char>(c);
  } else if (c < 0x800) {
    utf8[0] = static_cast<char>(0xC0 | (c >> 6)), utf8[1] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    utf8[0] = static_cast<char>(0xE0 | (c >> 12)), utf8[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    utf8[2] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    return;
  }
  const std::string ansi = c < 0x80 ? std::string(utf8) : platform::AnsiFromUtf8(utf8);
  for (const char byte : ansi) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(byte), lParam);
}

void Handle(XEvent& event) {
  Display& d = *g_display;
  // A typing tool (or a layout switch) remaps keys while the person types.
  if (event.type == MappingNotify) {
    XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  Shown* shown = FindByXid(event.xany.window);
  if (!shown) return;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) shown->last.reset();
      break;
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify: Pointed(event, *shown); break;
    case KeyPress:
    case KeyRelease: Keyed(event, *shown); break;
    case ClientMessage:
      if (event.xclient.message_type == d.protocols && static_cast<Atom>(event.xclient.data.l[0]) == d.deleteWindow) {
        PostMessageA(shown->window, WM_CLOSE, 0, 0);
      }
      break;
    case ConfigureNotify: {
      int x = 0, y = 0;
      if (!RootPosition(shown->xid, &x, &y)) break;
      const int width = shown->placed.right - shown->placed.left, height = shown->placed.bottom - shown->placed.top;
      shown->placed = RECT{x, y, x + width, y + height};
      Place(shown->window, x, y);
      break;
    }
    case MapNotify:
      shown->mapped = true;
      shown->last.reset();
      if (shown->minimized) {
        shown->minimized = false;
        RECT client{};
        GetClientRect(shown->window, &client);
        PostMessageA(shown->window, WM_SIZE, kSizeRestored, MAKELPARAM(client.right, client.bottom));
      }
      if (EnabledUpTo(shown->window)) XSetInputFocus(d.x, shown->xid, RevertToParent, CurrentTime);
      break;
    case UnmapNotify:
      shown->mapped = false;
      if (shown->hiding) {
        shown->hiding = false;
      } else if (!shown->minimized) {
        // Unmapped by the window manager: the person minimised it.
        shown->minimized = true;
        PostMessageA(shown->window, WM_SIZE, kSizeMinimized, 0);
      }
      break;
    default: break;
  }
}

bool IsInput(int type) {
  return type == KeyPress || type == KeyRelease || type == ButtonPress || type == ButtonRelease;
}

thread_local bool t_lookingAtQueue = false;

// Key or mouse messages of ours that the program has not taken yet.
bool InputQueued() {
  if (t_lookingAtQueue) return false;
  t_lookingAtQueue = true;
  MSG msg;
  const bool queued = PeekMessageA(&msg, 0, WM_KEYDOWN, 0x0108u, PM_NOREMOVE) ||
                      PeekMessageA(&msg, 0, WM_MOUSEMOVE, 0x020Du, PM_NOREMOVE);
  t_lookingAtQueue = false;
  return queued;
}

// Reads the display's events, but the next key or button only once the
// program has taken the messages of the last one: GetKeyState then answers
// for the key being handled, as Windows keeps it in step with the queue.
void ReadInput() {
  if (!OnOwnerThread() || t_lookingAtQueue) return;
  ::Display* x = g_display->x;
  bool queued = InputQueued();
  while (XPending(x) > 0) {
    XEvent event;
    XPeekEvent(x, &event);
    if (queued && IsInput(event.type)) return;
    XNextEvent(x, &event);
    Handle(event);
    if (IsInput(event.type)) queued = true;
  }
}

bool WaitInput(int milliseconds) {
  if (!OnOwnerThread()) return false;
  Refresh();
  ReadInput();
  // Input the program has not taken yet wakes nobody again: a wait for other
  // messages waits for a post or its time.
  const bool queued = InputQueued();
  if (!queued && XEventsQueued(g_display->x, QueuedAlready) > 0) return true;
  pollfd fds[2] = {{queued ? -1 : ConnectionNumber(g_display->x), POLLIN, 0}, {g_display->wakeFd, POLLIN, 0}};
  poll(fds, 2, milliseconds);
  uint64_t count = 0;
  while (read(g_display->wakeFd, &count, sizeof count) > 0) {
  }
  ReadInput();
  return true;
}

void WriteMap() {
  Display& d = *g_display;
  if (d.mapPath.empty()) return;
  std::string text;
  for (const auto& [window, shown] : d.windows) {
    if (!shown.mapped && !shown.last) continue;
    text += "window " + std::to_string(shown.xid) + " " + platform::Utf8FromAnsi(shown.title) + "\n";
    std::vector<HWND> stack{window};
    POINT top{0, 0};
    ClientToScreen(window, &top);
    while (!stack.empty()) {
      const HWND w = stack.back();
      stack.pop_back();
      Node node;
      if (!GetNode(w, &node)) continue;
      for (HWND child : node.children) {
        if (!IsWindowVisible(child) || !(GetWindowLongA(child, GWL_STYLE) & WS_CHILD)) continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        text += "control " + std::to_string(shown.xid) + " " + std::to_string(GetDlgCtrlID(child)) + " " +
                std::to_string(rect.left - top.x) + " " + std::to_string(rect.top - top.y) + " " +
                std::to_string(rect.right - top.x) + " " + std::to_string(rect.bottom - top.y) + "\n";
        stack.push_back(child);
      }
    }
  }
  const std::string temporary = d.mapPath + ".part";
  std::ofstream(temporary, std::ios::binary) << text;
  std::error_code ignored;
  std::filesystem::rename(temporary, d.mapPath, ignored);
}

// The keyboard goes back to the window the hidden one belonged to, or else to
// the newest window still shown that takes input, as a window manager would.
void FocusAnother(HWND leaving) {
  Display& d = *g_display;
  const Shown* next = nullptr;
  if (const HWND owner = GetWindow(leaving, GW_OWNER)) {
    const auto found = d.windows.find(TopLevelOf(owner));
    if (found != d.windows.end() && found->second.mapped) next = &found->second;
  }
  if (!next) {
    for (const auto& [window, shown] : d.windows) {
      if (window != leaving && shown.mapped && !shown.hiding && (!next || shown.xid > next->xid)) {
        next = &shown;
      }
    }
  }
  if (next) XSetInputFocus(d.x, next->xid, RevertToParent, CurrentTime);
}

}  // namespace

bool DisplayActive() {
  std::call_once(g_openOnce, Open);
  return g_active;
}

bool OnDisplayThread() { return g_active && OnOwnerThread(); }

void WindowShown(HWND window, bool shown) {
  if (!DisplayActive() || !OnOwnerThread()) return;
  Display& d = *g_display;
  auto found = d.windows.find(window);
  if (shown) {
    if (found == d.windows.end()) {
      Create(window);
      found = d.windows.find(window);
    }
    found->second.hiding = false;
    XMapRaised(d.x, found->second.xid);
  } else if (found != d.windows.end() && found->second.mapped) {
    found->second.hiding = true;
    XUnmapWindow(d.x, found->second.xid);
    FocusAnother(window);
  }
  XFlush(d.x);
}

void WindowDestroyed(HWND window) {
  if (!g_active || !OnOwnerThread()) return;
  Display& d = *g_display;
  const auto found = d.windows.find(window);
  if (found == d.windows.end()) return;
  const bool hadKeyboard = found->second.mapped;
  XDestroyWindow(d.x, found->second.xid);
  d.windows.erase(found);
  if (hadKeyboard) FocusAnother(window);
  XFlush(d.x);
  WriteMap();
}

unsigned long DisplayWindowOf(HWND window) {
  if (!g_active || !OnOwnerThread()) return 0;
  const auto found = g_display->windows.find(window);
  return found == g_display->windows.end() ? 0 : found->second.xid;
}

void Refresh() {
  if (!g_active || !OnOwnerThread()) return;
  Display& d = *g_display;
  PaintInvalidWindows(0);
  bool changed = false;
  std::vector<HWND> windows;
  for (const auto& [window, shown] : d.windows) windows.push_back(window);
  for (HWND window : windows) {
    const auto found = d.windows.find(window);
    if (found == d.windows.end() || !IsWindow(window)) continue;
    Shown& shown = found->second;
    if (!IsWindowVisible(window)) continue;
    const std::string title = TitleOf(window);
    if (title != shown.title) SetTitle(shown, title);
    // The program moved the window itself (SetWindowPos): the display follows.
    RECT rect{};
    GetWindowRect(window, &rect);
    if (rect.left != shown.placed.left || rect.top != shown.placed.top) {
      XMoveWindow(d.x, shown.xid, rect.left, rect.top);
      shown.placed = rect;
    }
    auto picture = ComposeClientPicture(window);
    if (!picture) continue;
    if (shown.last && shown.last->width == picture->width && shown.last->height == picture->height &&
        shown.last->pixels == picture->pixels) {
      continue;
    }
    if (!shown.last || shown.last->width != picture->width || shown.last->height != picture->height) {
      FixSize(shown.xid, picture->width, picture->height);
      XResizeWindow(d.x, shown.xid, static_cast<unsigned>(picture->width), static_cast<unsigned>(picture->height));
    }
    if (shown.mapped) {
      Put(shown, *picture);
      shown.last = picture;
      changed = true;
    }
  }
  XFlush(d.x);
  if (changed) WriteMap();
}

}  // namespace platform::ui::x11
