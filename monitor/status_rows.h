// The rows of the main status dialog's job and event lists: a job with its
// document name on two lines and its state, an event with its category icon,
// title and time.
#pragma once

#include <string>

#include "monitor/data_manager.h"
#include "monitor/event_model.h"
#include "platform/ui/afx.h"

namespace monitor {

// The text as it fits `width` on at most two lines: a break at the last blank
// when that lies beyond half of the fitting head, else inside the word with a
// "-"; what does not fit on the second line is dropped. Double-byte characters
// are never split.
std::string WrapToWidth(const std::string& text, HDC dc, int width);

// The height of `lines` text lines of the list's font, for the process.
int TextRowHeight(HDC dc, int lines);

void DrawJobRow(HDC dc, const RECT& row, const MonitorJob& job);
void DrawEventRow(HDC dc, const RECT& row, PM_CEvent* event);
// The event configuration's rows: a category with its icon and name; an agent
// with its tick box (greyed while its category is off), title and settings box.
void DrawCategoryRow(HDC dc, const RECT& row, PM_CEventCategoryManager* category);
void DrawAgentRow(HDC dc, const RECT& row, PM_CEventAgent* agent);
// The parts of an agent row a click may hit, from its left end.
inline constexpr int kAgentTickRight = 17;
inline constexpr int kAgentSettingsLeft = 20;
inline constexpr int kAgentSettingsRight = 40;

// The notification a list sends its dialog when the Delete key is released on it.
inline constexpr UINT kDeleteKeyNotification = 0x3E9;

// A list box whose rows the dialog draws; each row's data is handed to `draw`.
class StatusListBox : public CListBox {
 public:
  using Drawer = void (*)(HDC, const RECT&, void*);
  StatusListBox(Drawer drawer, int lines) : drawer_(drawer), lines_(lines) {}
  void DrawItem(LPDRAWITEMSTRUCT draw) override;
  void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
  LRESULT OnKeyUp(WPARAM key, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  Drawer drawer_;
  int lines_;
};

}  // namespace monitor
