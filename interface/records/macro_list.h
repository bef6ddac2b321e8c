// The PCL macros a job may use, as the job-options page lists them: the macros
// installed on this PC (user store kind 6, section "HostInfo\<model>") and those
// on the printer's disk (printer data kind 8, section "MacroDisk"), each shown as
// "name   <location>   ...   id", and a last entry for no macro.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "platform/base/types.h"

// Where a macro is kept.
enum MacroLocation : int32_t {
  kMacroNone = 0,
  kMacroPcDisk = 1,
  kMacroPrinterDisk = 3,
  kMacroPrinterDiskMemory = 4,
  kMacroPrinterDiskResident = 5,
  kMacroPcDiskMemory = 6,
};

struct MacroChoice {
  int32_t id;        // -1 for none
  int32_t location;  // MacroLocation
  char name[32];
};

// The list control the entries go to (a combo box on the job-options page).
class MacroListView {
 public:
  virtual ~MacroListView() = default;
  virtual void Clear() = 0;
  virtual void Add(const std::string& text, const MacroChoice& choice) = 0;
  virtual void Select(const std::string& text) = 0;
};

// The entry's text: name, three blanks, "<" location label ">", 68 blanks, id;
// the none entry (location 0) is its label alone.
std::string MacroChoiceText(const MacroChoice& choice);

// The device mode's current choice.
MacroChoice CurrentMacroChoice(const XDEVMODE& devmode);

// The macros a job of this device mode may use, host macros first, in the order
// of their lists. A list id is taken only when it is ended by ";" and is a decimal
// number of 0 or more; a record must hold its three fields. A host macro not kept
// in printer memory is left out when the printer is not local and the device
// mode spools as EMF (the macro file would not be on the machine that renders).
std::vector<MacroChoice> ReadMacroChoices(HANDLE printer, const XDEVMODE& devmode);

// Fills the view with the macros and the none entry (last) and selects the device
// mode's choice; a choice no longer listed becomes none in the device mode.
// Answers the number of macros listed; 0 for a null device mode.
int LoadMacroList(HANDLE printer, MacroListView& view, XDEVMODE* devmode);
