// PCL overlay macro: a form the printer keeps as a macro and lays on (or
// calls on) every page. The macro is either in the printer already (by number
// or by name) or a file on the host that the job defines as a macro.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

struct PDEV;

// "MacroLoc" values.
constexpr DWORD kMacroNone = 0;
constexpr DWORD kMacroHostFile = 1;       // a file on the host, defined by the job
constexpr DWORD kMacroPrinterByName = 3;  // stored in the printer under a name
constexpr DWORD kMacroPrinterById = 6;    // stored in the printer under a number

// Selects or defines the macro of the device mode and calls or enables it.
// 1 when the macro is in place; 0 with nothing written when "MacroLoc" is 0,
// the job is not PCL, the name is empty (by name), or the host file is
// missing, empty or unreadable (reported as "MACROFILE" through the
// diagnostic hook; the job goes on without the overlay).
int SetUpOverlayMacro(PDEV* pdev);

// Defines or selects the macro again after a printer reset deleted it, without
// calling it (the next page calls it). 1 when done; 0 as SetUpOverlayMacro.
int RestoreOverlayMacro(PDEV* pdev);

// "ESC&f5X" (automatic overlay off) for a PCL job, nothing for another
// language; the job's macro counts as gone afterwards. 1.
int DisableOverlayMacro(PDEV* pdev);

// ESC, first, second, number, terminator ("ESC&f3X"); the length written
// (without terminator), -1 when it does not fit capacity.
int FormatPclEscape(char* buffer, size_t capacity, char first, char second, char terminator, DWORD number);
// ESC, first, second, length + 1, terminator, the operation byte and the text
// ("ESC&n6W" 4 "FORM1"); the length written, -1 when it does not fit.
int FormatPclEscapeData(char* buffer, size_t capacity, char first, char second, char terminator, BYTE operation,
                        const char* text, size_t length);
