#include "monitor/event_configuration_dialog.h"

#include <cstdio>

#include "monitor/instance_registry.h"
#include "monitor/log_path.h"
#include "monitor/monitor_files.h"
#include "monitor/monitor_help.h"
#include "monitor/monitor_settings.h"
#include "monitor/notification_method_dialog.h"
#include "platform/ui/common_dialogs.h"

namespace {

constexpr UINT kTemplate = 145;
constexpr int kFrame = 1001;
constexpr int kLogOn = 1036;
constexpr int kBrowse = 1037;
constexpr int kLogFile = 1038;
constexpr int kAgentLabel = 1041;
constexpr int kCategories = 1043;
constexpr int kCategoryName = 1044;
constexpr int kAgents = 1045;
constexpr int kNotify = 1050;
constexpr int kHelp = 57670;

constexpr unsigned kNotifyText = 102;
constexpr unsigned kAgentListText = 103;
constexpr unsigned kMonitorTitle = 104;
constexpr unsigned kLogTitle = 59190;
constexpr unsigned kLogFilter = 59226;
constexpr unsigned kFileFailed = 59248;

bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string Format(unsigned id, const std::string& value) {
  char text[512] = {};
  std::snprintf(text, sizeof text, monitor::LoadText(id).c_str(), value.c_str());
  return text;
}

void DrawCategory(HDC dc, const RECT& row, void* data) {
  monitor::DrawCategoryRow(dc, row, static_cast<PM_CEventCategoryManager*>(data));
}

// "A | B| C | D|" as the common dialog's list of NUL-ended parts.
std::string FilterList(const std::string& text) {
  std::string list;
  size_t start = 0;
  for (size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
    std::string part = text.substr(start, bar - start);
    while (!part.empty() && part.front() == ' ') part.erase(0, 1);
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (!part.empty()) list += part + '\0';
    start = bar + 1;
  }
  return list + '\0';
}

}  // namespace

namespace monitor {

// clang-format off
BEGIN_MESSAGE_MAP(AgentListBox, StatusListBox)
  ON_WM_LBUTTONUP()
END_MESSAGE_MAP()
// clang-format on

void AgentListBox::Draw(HDC dc, const RECT& row, void* data) {
  DrawAgentRow(dc, row, static_cast<PM_CEventAgent*>(data));
}

void AgentListBox::OnLButtonUp(UINT, CPoint point) {
  Default();
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    RECT row{};
    if (GetItemRect(i, &row) == LB_ERR) continue;
    if (point.y >= row.top && point.y < row.bottom) {
      owner_->OnAgentClick(i, point.x - row.left);
      return;
    }
  }
}

}  // namespace monitor

// clang-format off
BEGIN_MESSAGE_MAP(PM_CEventConfigurationDlg, monitor::CDialogBase)
  ON_WM_PAINT()
  ON_CONTROL(LBN_SELCHANGE, kCategories, OnCategoryChanged)
  ON_BN_CLICKED(kLogOn, OnLogClicked)
  ON_BN_CLICKED(kNotify, OnNotifyClicked)
  ON_BN_CLICKED(kBrowse, OnBrowse)
  ON_BN_CLICKED(kHelp, OnHelp)
  ON_MESSAGE(WM_CLOSE, OnCloseBox)
END_MESSAGE_MAP()
// clang-format on

PM_CEventConfigurationDlg::PM_CEventConfigurationDlg(PM_CEngine* engine, CWnd* parent)
    : CDialogBase(kTemplate, parent),
      engine_(engine),
      // Kept in memory: nothing another monitor does to the shared folder
      // reaches what Cancel puts back.
      backup_(engine->Agents()),
      categoryList_(&DrawCategory, 3),
      agentList_(this) {}

BOOL PM_CEventConfigurationDlg::OnInitDialog() {
  CDialogBase::OnInitDialog();
  // The frame is painted by the dialog around where the placeholder is.
  if (CWnd* frame = GetDlgItem(kFrame)) frame->ShowWindow(SW_HIDE);
  categoryList_.SubclassDlgItem(kCategories, this);
  agentList_.SubclassDlgItem(kAgents, this);
  if (CWnd* edit = GetDlgItem(kLogFile)) edit->SendMessage(EM_LIMITTEXT, 260);
  PM_CEventCategoryManagerArray& categories = engine_->Agents();
  for (size_t i = 0; i < categories.CategoryCount(); ++i) {
    categoryList_.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(categories.Category(i)));
  }
  categoryList_.SetCurSel(0);
  ShowCategory(categories.Category(0));
  // Always a working copy, empty when there is no settings file yet: the
  // notification method dialogs write into it and nowhere else.
  char folder[MAX_PATH] = {};
  GetMonitorDataFolder(folder, sizeof folder);
  if (!workingCopy_.Open(folder, MonitorIniPath())) Fail();
  return TRUE;
}

void PM_CEventConfigurationDlg::Fail() {
  ::MessageBoxA(m_hWnd, monitor::LoadText(kFileFailed).c_str(), monitor::LoadText(kMonitorTitle).c_str(), MB_ICONHAND);
  OnCancel();
}

void PM_CEventConfigurationDlg::EnableLog(BOOL enable) {
  for (int id : {kLogFile, kBrowse}) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
  }
}

void PM_CEventConfigurationDlg::EnableAgents(BOOL enable) {
  agentList_.EnableWindow(enable);
  agentList_.SetCurSel(enable ? 0 : -1);
  agentList_.Invalidate();
}

void PM_CEventConfigurationDlg::CommitShownCategory() {
  if (!current_) return;
  char path[261] = {};
  ::GetDlgItemTextA(m_hWnd, kLogFile, path, sizeof path);
  current_->m_LogFilePath = path;
  current_->m_Logging = Checked(m_hWnd, kLogOn) ? 1 : 0;
  current_->m_Enabled = Checked(m_hWnd, kNotify) ? 1 : 0;
}

void PM_CEventConfigurationDlg::ShowCategory(PM_CEventCategoryManager* category) {
  current_ = category;
  if (!category) return;
  ::SetDlgItemTextA(m_hWnd, kCategoryName, category->m_Name.c_str());
  ::SetDlgItemTextA(m_hWnd, kLogFile, category->m_LogFilePath.c_str());
  ::CheckDlgButton(m_hWnd, kLogOn, category->m_Logging ? BST_CHECKED : BST_UNCHECKED);
  ::CheckDlgButton(m_hWnd, kNotify, category->m_Enabled ? BST_CHECKED : BST_UNCHECKED);
  ::SetDlgItemTextA(m_hWnd, kNotify, Format(kNotifyText, category->m_Name).c_str());
  ::SetDlgItemTextA(m_hWnd, kAgentLabel, Format(kAgentListText, category->m_Name).c_str());
  EnableLog(category->m_Logging != 0);
  agentList_.SendMessage(LB_RESETCONTENT);
  for (auto& agent : category->m_EventAgentsArray) {
    if (agent->IsLogging()) agentList_.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(agent.get()));
  }
  EnableAgents(category->m_Enabled != 0);
}

void PM_CEventConfigurationDlg::OnCategoryChanged() {
  CommitShownCategory();
  const int index = categoryList_.GetCurSel();
  if (index < 0) return;
  ShowCategory(engine_->Agents().Category(static_cast<size_t>(index)));
}

void PM_CEventConfigurationDlg::OnLogClicked() { EnableLog(Checked(m_hWnd, kLogOn)); }

void PM_CEventConfigurationDlg::OnNotifyClicked() {
  if (!current_) return;
  current_->m_Enabled = Checked(m_hWnd, kNotify) ? 1 : 0;
  EnableAgents(current_->m_Enabled != 0);
}

void PM_CEventConfigurationDlg::OnAgentClick(int index, int x) {
  if (!current_ || !current_->m_Enabled) return;
  auto* agent = reinterpret_cast<PM_CEventAgent*>(agentList_.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index)));
  if (!agent || reinterpret_cast<LRESULT>(agent) == LB_ERR) return;
  if (x <= monitor::kAgentTickRight) {
    agent->SetEnabled(agent->EnabledFlag() ? 0 : 1);
    agentList_.Invalidate();
  } else if (x >= monitor::kAgentSettingsLeft && x < monitor::kAgentSettingsRight) {
    EditAgent(agent);
  }
}

void PM_CEventConfigurationDlg::EditAgent(PM_CEventAgent* agent) {
  PM_CNotificationMathodDlg method(agent, engine_->PrinterName(), &workingCopy_, this);
  method.DoModal();
  agentList_.Invalidate();
}

void PM_CEventConfigurationDlg::OnBrowse() {
  char text[MAX_PATH] = {};
  ::GetDlgItemTextA(m_hWnd, kLogFile, text, sizeof text);
  std::string path = text;
  NormalizeLogPath(&path, FALSE);
  char file[MAX_PATH] = {};
  path.copy(file, sizeof file - 1);
  const std::string filter = FilterList(monitor::LoadText(kLogFilter));
  const std::string title = monitor::LoadText(kLogTitle);
  OPENFILENAMEA save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = m_hWnd;
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = file;
  save.nMaxFile = sizeof file;
  save.lpstrTitle = title.c_str();
  save.Flags = OFN_HIDEREADONLY;
  if (!::GetSaveFileNameA(&save)) return;
  path = file;
  NormalizeLogPath(&path, TRUE);
  ::SetDlgItemTextA(m_hWnd, kLogFile, path.c_str());
}

void PM_CEventConfigurationDlg::OnOK() {
  CommitShownCategory();
  PM_CEventCategoryManagerArray& categories = engine_->Agents();
  for (size_t i = 0; i < categories.CategoryCount(); ++i) {
    PM_CEventCategoryManager* category = categories.Category(i);
    if (!category->m_Logging) continue;
    NormalizeLogPath(&category->m_LogFilePath, TRUE);
    SetMonitorString(category->m_Name.c_str(), category->m_LogFilePath.c_str());
  }
  // Only this dialog's entries reach the shared file, all at once.
  if (!workingCopy_.Commit()) {
    Fail();
    return;
  }
  engine_->SaveIdx();
  CDialogBase::OnOK();
}

void PM_CEventConfigurationDlg::OnCancel() {
  backup_.Restore();
  workingCopy_.Discard();
  CDialogBase::OnCancel();
}

LRESULT PM_CEventConfigurationDlg::OnCloseBox(WPARAM, LPARAM) {
  // Closing the window keeps nothing of what was changed in it.
  OnCancel();
  return 0;
}

void PM_CEventConfigurationDlg::OnPaint() {
  CPaintDC paint(this);
  CWnd* frame = GetDlgItem(kFrame);
  if (!frame) return;
  RECT box{};
  frame->GetWindowRect(&box);
  ScreenToClient(&box);
  HDC dc = paint.m_hDC;
  HPEN black = ::CreatePen(PS_SOLID, 0, 0x000000);
  HPEN white = ::CreatePen(PS_SOLID, 0, 0xFFFFFF);
  HPEN grey = ::CreatePen(PS_SOLID, 0, 0x808080);
  HGDIOBJ old = ::SelectObject(dc, black);
  // clang-format off
  const POINT outline[] = {{box.left, box.top}, {box.right - 1, box.top}, {box.right - 1, box.bottom - 1},
                           {box.left, box.bottom - 1}, {box.left, box.top}};
  // clang-format on
  ::Polyline(dc, outline, 5);
  for (int inset = 1; inset <= 2; ++inset) {
    ::SelectObject(dc, white);
    const POINT light[] = {{box.left + inset, box.bottom - 1 - inset},
                           {box.left + inset, box.top + inset},
                           {box.right - 1 - inset, box.top + inset}};
    ::Polyline(dc, light, 3);
    ::SelectObject(dc, grey);
    const POINT shade[] = {{box.right - 1 - inset, box.top + inset},
                           {box.right - 1 - inset, box.bottom - 1 - inset},
                           {box.left + inset, box.bottom - 1 - inset}};
    ::Polyline(dc, shade, 3);
  }
  ::SelectObject(dc, old);
  ::DeleteObject(black);
  ::DeleteObject(white);
  ::DeleteObject(grey);
}

void PM_CEventConfigurationDlg::OnHelp() { ShowMonitorHelp(engine_->PrinterName(), kTemplate); }
