// A spin button whose edit holds a time span in a unit picked in a combo box
// (seconds, minutes, hours, days), with per-unit limits and conversion to and
// from seconds. The unit texts are the program's strings 32772-32775.
#pragma once

#include "monitor/controls/spin_button.h"

namespace monitor {

// Unit flags for Init: which units the combo box offers.
constexpr UINT kUnitSeconds = 1;
constexpr UINT kUnitMinutes = 2;
constexpr UINT kUnitHours = 4;
constexpr UINT kUnitDays = 8;

class DP_CSpinButtonTimeManager : public DP_CSpinButton {
 public:
  // The edit and combo box of the dialog, the units offered and the span shown.
  void Init(UINT editId, UINT comboId, UINT unitFlags, long seconds);
  // The span in seconds; a number outside the unit's limits is clamped with a
  // beep and written back. 0 when the combo box shows no known unit.
  long GetSeconds();
  // Shows the span in the unit of its smallest non-zero part.
  void SetSeconds(long seconds);
  // Steps within the unit's limits, beeping at a limit.
  void Step() override;

 private:
  // 0-3 (seconds to days) for the combo box's selected text; -1 for none.
  int SelectedUnit() const;
  void Show(int unit, long value);

  UINT m_comboId = 0;
};

}  // namespace monitor
