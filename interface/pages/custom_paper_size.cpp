#include "interface/pages/custom_paper_size.h"

#include <cmath>
#include <cstdio>

namespace pages {

int CustomPaperRow(const ModelRecord& model) {
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id != 0; ++i) {
    if (model.papers[i].id == kCustomPaperId && model.papers[i].userSizeMark != 0) return i;
  }
  return -1;
}

CustomSizeLimits CustomSizeLimitsOf(const PaperEntry& row) {
  const VariableSizeRecord& v = row.variableSize;
  const PaperGeometry& g = v.geometry[0];
  // The description lists them as minimum and maximum width, minimum and maximum
  // length; the loader keeps margins in the order 1, 4, 3, 2 of the text.
  const long values[4] = {g.margin1, g.margin4, g.margin3, g.margin2};
  CustomSizeLimits limits;
  double* inch[4] = {&limits.inches.minimumWidth, &limits.inches.maximumWidth, &limits.inches.minimumLength,
                     &limits.inches.maximumLength};
  double* mm[4] = {&limits.millimetres.minimumWidth, &limits.millimetres.maximumWidth,
                   &limits.millimetres.minimumLength, &limits.millimetres.maximumLength};
  for (int i = 0; i < 4; ++i) {
    *inch[i] = values[i] / 1000.0;
    *mm[i] = MillimetreLimit(values[i]);
  }
  limits.inches.step = v.u1 / 1000.0;
  limits.millimetres.step = v.u2 / 10.0;
  return limits;
}

// Integer arithmetic: one thousandth of an inch is 0.254 tenths of a millimetre.
double MillimetresShown(long thousandths) {
  const long long tenths = (static_cast<long long>(thousandths) * 254 + 999) / 1000;
  return static_cast<double>(tenths) / 10.0;
}

double MillimetreLimit(long thousandths) {
  const long long hundredths = (static_cast<long long>(thousandths) * 254 + 99) / 100;
  return static_cast<double>(hundredths) / 100.0;
}

long ThousandthsOf(double value, DWORD unit) {
  const double thousandths = unit == kUnitMillimetres ? value * 1000.0 / 25.4 : value * 1000.0;
  return std::lround(thousandths);
}

std::string ValueText(double value, DWORD unit) {
  char text[64];
  std::snprintf(text, sizeof text, unit == kUnitMillimetres ? "%3.1f" : "%3.2f", value);
  return text;
}

std::string SizeText(long thousandths, DWORD unit) {
  return ValueText(unit == kUnitMillimetres ? MillimetresShown(thousandths) : thousandths / 1000.0, unit);
}

std::string RangeText(double minimum, double maximum, DWORD unit) {
  char text[96];
  std::snprintf(text, sizeof text, unit == kUnitMillimetres ? "[%3.1f...%3.1f]" : "[%3.2f...%3.2f]", minimum, maximum);
  return text;
}

double RoundUpTenth(double x) {
  const double tenths = x * 10.0;
  double whole = std::floor(tenths);
  if (tenths - whole > 0.05) whole += 1;
  return whole / 10.0;
}

}  // namespace pages
