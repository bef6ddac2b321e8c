// The parsers of the model description's table sections: each turns one key and
// its text record into one table row.
//
// Every parser clears its row first and answers 1 when the row is filled, 0 when
// the record is refused: a missing or blank required field, an id that the row
// cannot hold, or a null argument. A refused row is left all zero, never half
// filled. Names are cut to their field (whole characters only) and always end
// with a zero byte. Numbers read as atoi reads them, so a field that is not a
// number reads as 0; a field that is absent or blank takes its "not given" value.
#pragma once

#include "model/model_record.h"

// Maps a dialog name of a "HiddenControls" record to its dialog resource id (0: none).
using DialogIdLookup = int (*)(const char* name);

// "Memory": megabytes "," second "," third. The key is not kept.
int ParseMemoryRecord(MemoryRow* row, const char* key, const char* value);
// "Constraints": option "," value ";" feature "," choice ";" flags. The key is not
// kept; an option of 0 is refused, since it would end the table.
int ParseConstraintRecord(ConstraintRow* row, const char* key, const char* value);
// "Stapler": key = stapler id; a, b separated by ";" or ",".
int ParseStaplerRecord(StaplerEntry* row, const char* key, const char* value);
// "InstallableOptions" (and the printer's own "InstallableOptions" values): key =
// option id 1..35; first group kind "," name "," value ["," extra].
int ParseInstallableOptionRecord(InstallableOption* row, const char* key, const char* value);
// "Fold", "Punch", "Trim": key = unit id; a, b, name separated by ";" or ",".
int ParseFoldRecord(FoldEntry* row, const char* key, const char* value);
int ParsePunchRecord(PunchEntry* row, const char* key, const char* value);
int ParseTrimRecord(TrimEntry* row, const char* key, const char* value);
// "MediaType": key = media id; name; m1 "," m2; m3; display name; extra.
int ParseMediaTypeRecord(MediaTypeEntry* row, const char* key, const char* value);
// "Paper": key = paper id unless group 11 gives one; name; width "," height; three
// margin groups; attributes; PCL size code; user-size mark; feed direction; short name.
int ParsePaperRecord(PaperEntry* row, const char* key, const char* value);
// "VariableSize": thirteen fields separated by ";" or ",". The key is not kept.
int ParseVariableSizeRecord(VariableSizeRecord* row, const char* key, const char* value);
// "PaperSource": key = tray id; name "," d1 "," d2; s1 "," s2 ["," s3]; s4; text; s5; s6.
int ParsePaperSourceRecord(PaperSourceEntry* row, const char* key, const char* value);
// "PaperDestination": key = bin id; name; b1; f1 "," f2 "," f3 ["," f4 ["," f5]];
// b2 ["," b3 ["," b4]]; text.
int ParsePaperDestinationRecord(OutputBinEntry* row, const char* key, const char* value);
// "StapleLocation": a "," b "," c ";" d ";" e. The key is not kept.
int ParseStapleLocationRecord(StapleLocationEntry* row, const char* key, const char* value);
// "Resolution": key = id, value = dots per inch (used for both directions); an id of
// 0 or a value whose low 16 bits are 0 is refused.
int ParseResolutionRecord(ResolutionEntry* row, const char* key, const char* value);
// "Fonts": key = font id; face "," second name "," (ignored) "," short name "," pdl code.
int ParseFontRecord(ModelFontRow* row, const char* key, const char* value);
// "TabInfo": key = tab id; name, l1, l2, l3, i1, i2, i3 separated by ";" or ",".
int ParseTabInfoRecord(TabInfoEntry* row, const char* key, const char* value);
// "HiddenControls": key = control id (> 0); two dialog names separated by ";" or
// ","; both must map to a dialog id. The default lookup is HiddenControlDialogId.
int ParseHiddenControlRecord(HiddenControlRow* row, const char* key, const char* value,
                             DialogIdLookup lookup = nullptr);

// The PdlKind of a font's pdl code: 1 PostScript, 2 PCL with PCL XL, 3 PCL, 0 any other.
WORD FontPdlFromCode(int code);
