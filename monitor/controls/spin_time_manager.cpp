#include "monitor/controls/spin_time_manager.h"

#include <algorithm>
#include <string>

#include "monitor/monitor_utilities.h"
#include "platform/base/resources.h"

namespace monitor {

namespace {

struct Unit {
  UINT flag;
  UINT textId;
  int minimum;
  int maximum;
  long seconds;
};
constexpr Unit kUnits[] = {
    {kUnitSeconds, 32772, 1, 59, 1},
    {kUnitMinutes, 32773, 1, 59, 60},
    {kUnitHours, 32774, 1, 23, 3600},
    {kUnitDays, 32775, 1, 59, 86400},
};

std::string UnitText(const Unit& unit) {
  char text[64] = {};
  ::LoadStringA(AfxGetResourceHandle(), unit.textId, text, sizeof text);
  return text;
}

}  // namespace

void DP_CSpinButtonTimeManager::Init(UINT editId, UINT comboId, UINT unitFlags, long seconds) {
  SetBuddy(editId, "0", FALSE);
  m_comboId = comboId;
  HWND combo = m_dialog ? ::GetDlgItem(m_dialog->m_hWnd, static_cast<int>(comboId)) : 0;
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const Unit& unit : kUnits) {
    if (unitFlags & unit.flag) {
      const std::string text = UnitText(unit);
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  SetSeconds(seconds);
}

int DP_CSpinButtonTimeManager::SelectedUnit() const {
  HWND combo = m_dialog ? ::GetDlgItem(m_dialog->m_hWnd, static_cast<int>(m_comboId)) : 0;
  const LRESULT selection = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (!combo || selection == CB_ERR) return -1;
  char text[64] = {};
  if (::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text)) == CB_ERR)
    return -1;
  for (int i = 0; i < 4; ++i) {
    if (UnitText(kUnits[i]) == text) return i;
  }
  return -1;
}

void DP_CSpinButtonTimeManager::Step() {
  // Signed arithmetic: 0 stepped down is -1, which clamps to the minimum, not
  // to the maximum as an unsigned reading would.
  long value = ReadNumber();
  if (m_pressed == kUp) ++value;
  if (m_pressed == kDown) --value;
  const int unit = SelectedUnit();
  if (unit >= 0) {
    int clamped = static_cast<int>(std::max<long>(std::min<long>(value, 0x7FFFFFFF), -0x7FFFFFFF));
    ClampWithBeep(&clamped, kUnits[unit].minimum, kUnits[unit].maximum);
    value = clamped;
  }
  WriteNumber(value);
}

long DP_CSpinButtonTimeManager::GetSeconds() {
  const long value = ReadNumber();
  const int unit = SelectedUnit();
  if (unit < 0) return 0;
  int clamped = static_cast<int>(std::max<long>(std::min<long>(value, 0x7FFFFFFF), -0x7FFFFFFF));
  if (!ClampWithBeep(&clamped, kUnits[unit].minimum, kUnits[unit].maximum)) WriteNumber(clamped);
  return clamped * kUnits[unit].seconds;
}

void DP_CSpinButtonTimeManager::Show(int unit, long value) {
  HWND combo = m_dialog ? ::GetDlgItem(m_dialog->m_hWnd, static_cast<int>(m_comboId)) : 0;
  const std::string text = UnitText(kUnits[unit]);
  // A unit the combo box does not offer leaves its selection as it was.
  ::SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  WriteNumber(value);
}

void DP_CSpinButtonTimeManager::SetSeconds(long t) {
  if (t % 60 > 0) return Show(0, t % 60);
  if ((t / 60) % 60 > 0) return Show(1, (t / 60) % 60);
  if ((t / 3600) % 24 > 0) return Show(2, (t / 3600) % 24);
  if (t / 86400 > 0) return Show(3, t / 86400);
  HWND combo = m_dialog ? ::GetDlgItem(m_dialog->m_hWnd, static_cast<int>(m_comboId)) : 0;
  ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
  WriteNumber(1);
}

}  // namespace monitor
