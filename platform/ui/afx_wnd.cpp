#include <map>
#include <memory>
#include <utility>

#include "platform/ui/afx.h"

namespace {

// Objects bound to windows, and the temporary objects for windows without one.
thread_local std::map<HWND, CWnd*> t_permanent;
thread_local std::map<HWND, std::unique_ptr<CWnd>> t_temporary;
thread_local std::map<HDC, std::unique_ptr<CDC>> t_temporaryDCs;
// The message a handler is running for, which Default passes on.
struct CurrentMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
thread_local CurrentMessage t_current{};
HINSTANCE g_resources = 0;

void BindOnCreation(HWND window, void* context) { static_cast<CWnd*>(context)->SubclassWindow(window); }

}  // namespace

HINSTANCE AfxGetResourceHandle() { return g_resources; }
void AfxSetResourceHandle(HINSTANCE instance) { g_resources = instance; }

// ---- GDI objects --------------------------------------------------------------------

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  const BOOL done = ::DeleteObject(m_hObject);
  m_hObject = 0;
  return done;
}

BOOL CGdiObject::Attach(HGDIOBJ object) {
  if (!object) return FALSE;
  m_hObject = object;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() { return std::exchange(m_hObject, 0); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) { return Attach(::CreateFontIndirectA(font)); }
int CFont::GetLogFont(LOGFONTA* font) const { return ::GetObjectA(m_hObject, sizeof(LOGFONTA), font); }
BOOL CPen::CreatePen(int style, int width, COLORREF colour) { return Attach(::CreatePen(style, width, colour)); }
BOOL CBrush::CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
BOOL CBitmap::LoadBitmap(LPCSTR name) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), name)); }
BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : 0, width, height));
}
int CBitmap::GetBitmap(BITMAP* info) const { return ::GetObjectA(m_hObject, sizeof(BITMAP), info); }

CDC::~CDC() {
  if (owned_) DeleteDC();
}

CDC* CDC::FromHandle(HDC hdc) {
  if (!hdc) return nullptr;
  auto& entry = t_temporaryDCs[hdc];
  if (!entry) entry = std::make_unique<CDC>();
  entry->m_hDC = hdc;
  return entry.get();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : 0);
  owned_ = m_hDC != 0;
  return owned_ ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  const BOOL done = ::DeleteDC(m_hDC);
  m_hDC = 0;
  owned_ = false;
  return done;
}

namespace {
// What SelectObject hands back: a temporary wrapper of the object it replaced.
thread_local std::map<HGDIOBJ, std::unique_ptr<CGdiObject>> t_temporaryObjects;
CGdiObject* TemporaryObject(HGDIOBJ object) {
  if (!object) return nullptr;
  auto& entry = t_temporaryObjects[object];
  if (!entry) entry = std::make_unique<CGdiObject>();
  entry->m_hObject = object;
  return entry.get();
}
}  // namespace

CGdiObject* CDC::SelectObject(CGdiObject* object) {
  if (!object) return nullptr;
  return TemporaryObject(::SelectObject(m_hDC, object->m_hObject));
}

CGdiObject* CDC::SelectStockObject(int index) { return TemporaryObject(::SelectObject(m_hDC, GetStockObject(index))); }

CPoint CDC::MoveTo(int x, int y) {
  POINT previous{0, 0};
  ::MoveToEx(m_hDC, x, y, &previous);
  return CPoint(previous.x, previous.y);
}

void CDC::FillSolidRect(const RECT* r, COLORREF colour) {
  const COLORREF old = ::SetBkColor(m_hDC, colour);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

CPaintDC::CPaintDC(CWnd* window) : window_(window->m_hWnd) { m_hDC = ::BeginPaint(window_, &m_ps); }
CPaintDC::~CPaintDC() {
  ::EndPaint(window_, &m_ps);
  m_hDC = 0;
}

CClientDC::CClientDC(CWnd* window) : window_(window ? window->m_hWnd : 0) { m_hDC = ::GetDC(window_); }
CClientDC::~CClientDC() {
  ::ReleaseDC(window_, m_hDC);
  m_hDC = 0;
}

// ---- Windows ------------------------------------------------------------------------

CWnd::~CWnd() {
  if (m_hWnd && t_permanent.count(m_hWnd) && t_permanent[m_hWnd] == this) {
    // An object deleted before its window: the window lives on without it.
    HWND window = m_hWnd;
    UnsubclassWindow();
    t_permanent.erase(window);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
  const auto found = t_permanent.find(window);
  return found == t_permanent.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND window) {
  if (!window) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(window)) return permanent;
  auto& entry = t_temporary[window];
  if (!entry) entry = std::make_unique<CWnd>();
  entry->m_hWnd = window;
  return entry.get();
}

BOOL CWnd::Attach(HWND window) {
  if (!window || FromHandlePermanent(window)) return FALSE;
  m_hWnd = window;
  t_permanent[window] = this;
  t_temporary.erase(window);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND window = std::exchange(m_hWnd, 0);
  if (window) t_permanent.erase(window);
  return window;
}

BOOL CWnd::SubclassWindow(HWND window) {
  if (!Attach(window)) return FALSE;
  previousProcedure_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  // A window of the library's own class has no procedure before ours.
  if (previousProcedure_ == &AfxWndProc) previousProcedure_ = nullptr;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (previousProcedure_) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure_));
  previousProcedure_ = nullptr;
  return Detach();
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  platform::ui::SetCreationHook(BindOnCreation, this);
  HWND window = ::CreateWindowExA(0, className ? className : "AfxWnd", windowName, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent ? parent->m_hWnd : 0,
                                  static_cast<HMENU>(id), AfxGetResourceHandle(), nullptr);
  platform::ui::SetCreationHook(nullptr, nullptr);
  return window ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

std::string CWnd::GetWindowText() const {
  char text[1024];
  ::GetWindowTextA(m_hWnd, text, sizeof text);
  return text;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep, BOOL onlyPermanent) const {
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!onlyPermanent || FromHandlePermanent(child)) ::SendMessageA(child, message, wParam, lParam);
    if (deep) FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, deep, onlyPermanent);
  }
}

void CWnd::ScreenToClient(LPRECT r) const {
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  r->left -= origin.x;
  r->right -= origin.x;
  r->top -= origin.y;
  r->bottom -= origin.y;
}

void CWnd::ClientToScreen(LPRECT r) const {
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  r->left += origin.x;
  r->right += origin.x;
  r->top += origin.y;
  r->bottom += origin.y;
}

void CWnd::CenterWindow(CWnd* alternate) {
  CRect mine;
  GetWindowRect(&mine);
  HWND over = alternate ? alternate->m_hWnd : ::GetParent(m_hWnd);
  CRect area(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (over) ::GetWindowRect(over, &area);
  int x = area.left + (area.Width() - mine.Width()) / 2;
  int y = area.top + (area.Height() - mine.Height()) / 2;
  if (HWND parent = ::GetParent(m_hWnd)) {
    POINT p{x, y};
    ::ScreenToClient(parent, &p);
    x = p.x;
    y = p.y;
  }
  ::MoveWindow(m_hWnd, x, y, mine.Width(), mine.Height(), TRUE);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->handler; ++entry) {
      if (entry->message != message) continue;
      if (message == WM_COMMAND) {
        const UINT id = LOWORD(wParam), code = HIWORD(wParam);
        if (code != entry->code || id < entry->id || id > entry->lastId) continue;
      }
      *result = 0;
      if (entry->handler(this, wParam, lParam, result)) return TRUE;
    }
  }
  // Owner-draw messages nobody took go to the control's object.
  if (message == WM_DRAWITEM || message == WM_DELETEITEM) {
    HWND item = message == WM_DRAWITEM ? reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)->hwndItem
                                       : reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)->hwndItem;
    if (CWnd* child = FromHandlePermanent(item)) return child->OnChildNotify(message, wParam, lParam, result);
  }
  if (message == WM_MEASUREITEM) {
    OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
    *result = TRUE;
    return TRUE;
  }
  return FALSE;
}

void CWnd::OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) {
  if (CWnd* child = FromHandlePermanent(::GetDlgItem(m_hWnd, id))) {
    LRESULT ignored = 0;
    child->OnChildNotify(WM_MEASUREITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(measure), &ignored);
  }
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (previousProcedure_) return CallWindowProcA(previousProcedure_, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* object = CWnd::FromHandlePermanent(window);
  if (!object) return ::DefWindowProcA(window, message, wParam, lParam);
  const CurrentMessage saved = t_current;
  t_current = CurrentMessage{message, wParam, lParam};
  const LRESULT result = object->WindowProc(message, wParam, lParam);
  t_current = saved;
  if (message == WM_NCDESTROY) {
    // The window is gone: unbind the object, then let it finish (it may delete itself).
    if (CWnd::FromHandlePermanent(window) == object) {
      object->previousProcedure_ = nullptr;
      object->Detach();
      object->PostNcDestroy();
    }
  }
  return result;
}

namespace {
// Windows of the class library's own class: everything goes to their objects.
const bool g_afxClassRegistered = [] {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = AfxWndProc;
  windowClass.lpszClassName = "AfxWnd";
  return RegisterClassA(&windowClass) != 0;
}();
}  // namespace

// ---- Dialogs ------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOKCommand)
ON_COMMAND(IDCANCEL, OnCancelCommand)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
  platform::ui::SetCreationHook(BindOnCreation, this);
  const INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDHelp),
                                           m_pParentWnd ? m_pParentWnd->m_hWnd : 0, nullptr, 0);
  platform::ui::SetCreationHook(nullptr, nullptr);
  return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDHelp = templateId;
  m_pParentWnd = parent;
  platform::ui::SetCreationHook(BindOnCreation, this);
  HWND window = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId), parent ? parent->m_hWnd : 0,
                                     nullptr, 0);
  platform::ui::SetCreationHook(nullptr, nullptr);
  return window ? TRUE : FALSE;
}

BOOL CDialog::UpdateData(BOOL save) {
  CDataExchange exchange(this, save);
  DoDataExchange(&exchange);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  return CWnd::WindowProc(message, wParam, lParam);
}

// ---- Controls -----------------------------------------------------------------------

BOOL CButton::Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("BUTTON", caption, style, rect, parent, id);
}

BOOL CButton::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  if (message != WM_DRAWITEM) return FALSE;
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  *result = TRUE;
  return TRUE;
}

BOOL CBitmapButton::LoadBitmaps(LPCSTR normal, LPCSTR selected, LPCSTR focused, LPCSTR disabled) {
  m_bitmap.DeleteObject();
  m_bitmapSel.DeleteObject();
  m_bitmapFocus.DeleteObject();
  m_bitmapDisabled.DeleteObject();
  if (!m_bitmap.LoadBitmap(normal)) return FALSE;
  BOOL all = TRUE;
  if (selected && !m_bitmapSel.LoadBitmap(selected)) all = FALSE;
  if (focused && !m_bitmapFocus.LoadBitmap(focused)) all = FALSE;
  if (disabled && !m_bitmapDisabled.LoadBitmap(disabled)) all = FALSE;
  return all;
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT draw) {
  CBitmap* bitmap = &m_bitmap;
  // clang-format off
  if ((draw->itemState & ODS_SELECTED) && m_bitmapSel.m_hObject) bitmap = &m_bitmapSel;
  else if ((draw->itemState & ODS_FOCUS) && m_bitmapFocus.m_hObject) bitmap = &m_bitmapFocus;
  else if ((draw->itemState & ODS_DISABLED) && m_bitmapDisabled.m_hObject) bitmap = &m_bitmapDisabled;
  // clang-format on
  CDC memory;
  memory.CreateCompatibleDC(CDC::FromHandle(draw->hDC));
  CGdiObject* old = memory.SelectObject(bitmap);
  CRect r(draw->rcItem);
  ::BitBlt(draw->hDC, r.left, r.top, r.Width(), r.Height(), memory.m_hDC, 0, 0, SRCCOPY);
  if (old) memory.SelectObject(old->m_hObject);
}

BOOL CListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_DRAWITEM: DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); break;
    case WM_MEASUREITEM: MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); break;
    case WM_DELETEITEM: DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)); break;
    default: return FALSE;
  }
  *result = TRUE;
  return TRUE;
}
