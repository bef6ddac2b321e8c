// The user-defined paper size as the document page edits it: its limits in
// inches and millimetres from the model's custom paper row, the conversions
// between the units, and the texts the page shows. Sizes are kept in thousandths
// of an inch, as the device mode stores them.
#pragma once

#include <string>

#include "model/model_record.h"

namespace pages {

constexpr DWORD kUnitInches = 1;
constexpr DWORD kUnitMillimetres = 2;

struct SizeRange {
  double minimumWidth = 0;
  double maximumWidth = 0;
  double minimumLength = 0;
  double maximumLength = 0;
  double step = 0;
};

struct CustomSizeLimits {
  SizeRange inches;
  SizeRange millimetres;
  const SizeRange& In(DWORD unit) const { return unit == kUnitMillimetres ? millimetres : inches; }
};

// The index of the first paper row of id 261 that allows a user-defined size;
// -1 when the model has none.
int CustomPaperRow(const ModelRecord& model);
// The limits of that row: the variable-size record gives the smallest and largest
// width and length (thousandths of an inch) as its first four margins, the inch
// step (thousandths) and the millimetre step (tenths) as its two small numbers.
CustomSizeLimits CustomSizeLimitsOf(const PaperEntry& row);

// Thousandths of an inch in millimetres, rounded up to 0.1 mm (shown sizes) or
// 0.01 mm (limits), so that a shown value never falls below what is stored.
double MillimetresShown(long thousandths);
double MillimetreLimit(long thousandths);
// A value in the unit as thousandths of an inch, to the nearest thousandth.
long ThousandthsOf(double value, DWORD unit);
// A size in thousandths as the edit shows it in the unit: "%3.2f" inches, "%3.1f" mm.
std::string SizeText(long thousandths, DWORD unit);
std::string ValueText(double value, DWORD unit);
// "[min...max]" of a range in the unit.
std::string RangeText(double minimum, double maximum, DWORD unit);
// x rounded to tenths, up when the hundredths exceed 0.05.
double RoundUpTenth(double x);

}  // namespace pages
