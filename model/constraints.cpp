#include "model/constraints.h"

namespace {

bool IsInstallableOption(int option) { return option >= kCodeFirstOption && option <= kCodeLastOption; }

// Calls f(row) for each row of the table, up to its end row; f answers true to stop.
template <class F>
bool AnyRow(const ModelRecord& record, F f) {
  for (const ConstraintRow& row : record.constraints) {
    if (row.option == 0) break;
    if (f(row)) return true;
  }
  return false;
}

bool RowFires(const ConstraintRow& row, int current) {
  if (row.flags >= 16) return false;
  if (current == row.value) return (row.flags & kConstraintIdleWhileHolds) == 0;
  return (row.flags & kConstraintIdleWhileFails) == 0;
}

// The current value of a row's condition: the installed option's value for 65 to
// 99, the device mode's setting otherwise (no device mode: no value).
bool ConditionValue(const ModelRecord& record, const XDEVMODE* devmode, int option, int& value) {
  if (IsInstallableOption(option)) return GetInstalledOptionValue(&record, option - 64, &value) != 0;
  return devmode && GetSettingValue(&record, devmode, option, &value) != 0;
}

// The 1-based papers row of the selected paper: among rows of the same id, the
// first whose feed direction is the selected one, else the last of that id.
int SelectedPaperRow(const ModelRecord& record, const XDEVMODE& devmode) {
  const XDEVMODE_PRIVATE& p = devmode.dmPrivate;
  const DWORD id = p._iOutputSize == 0xFFFF ? static_cast<WORD>(devmode.dmPublic.dmPaperSize) : p._iOutputSize;
  int last = 0;
  for (int i = 0; i < kModelMaxPapers; ++i) {
    const PaperEntry& paper = record.papers[i];
    if (paper.id == 0) break;
    if (paper.id != id) continue;
    if (paper.feedDirection == p._iOutputFeedDirection) return i + 1;
    last = i + 1;
  }
  return last;
}

}  // namespace

int GetInstalledOptionValue(const ModelRecord* record, int n, int* value) {
  if (!record || !value) return 0;
  for (const InstallableOption& option : record->options) {
    if (option.name[0] == 0) break;
    if (option.id == n) {
      *value = option.value;
      return 1;
    }
  }
  return 0;
}

int GetSettingValue(const ModelRecord* record, const XDEVMODE* devmode, int feature, int* value) {
  if (!record || !devmode || !value) return 0;
  const XDEVMODE_PRIVATE& p = devmode->dmPrivate;
  switch (feature) {
    case kCodePaperSize: *value = SelectedPaperRow(*record, *devmode); return 1;
    case kCodePaperSource: *value = devmode->dmPublic.dmDefaultSource - 256; return 1;
    case kCodeOutputBin:
      if (p._nOutputTray < 256) return 0;
      *value = p._nOutputTray - 256;
      return 1;
    case kCodePunch: *value = p.punchId; return 1;
    case kCodeStaple: *value = p._wStaple; return 1;
    case kCodeMediaType: *value = static_cast<SHORT>(p._nMediaType); return 1;
    case kCodeBooklet: *value = p._nBooklet != 0 ? 1 : 0; return 1;
    default: return 0;
  }
}

int IsChoiceConstrained(const ModelRecord* record, const XDEVMODE* devmode, int feature, int choice) {
  if (!record || !devmode) return 0;
  return AnyRow(*record, [&](const ConstraintRow& row) {
    if (row.feature != feature || row.choice != choice) return false;
    int current = 0;
    return ConditionValue(*record, devmode, row.option, current) && RowFires(row, current);
  });
}

int CheckOptionConstraint(const ModelRecord* record, int option, int value, int feature, int choice) {
  if (!record) return 0;
  return AnyRow(*record, [&](const ConstraintRow& row) {
    if (row.feature != feature || row.choice != choice) return false;
    if (option == kCodeAnyOption ? !IsInstallableOption(row.option) : option != -1 && row.option != option)
      return false;
    if (value != -1 && row.value != value) return false;
    int current = 0;
    if (!IsInstallableOption(row.option) || !GetInstalledOptionValue(record, row.option - 64, &current)) return false;
    return RowFires(row, current);
  });
}

int CheckOptionConstraints(const ModelRecord* record, const XDEVMODE* devmode, int a, int b, int c, int d) {
  if (!record || !devmode) return 0;
  const bool bySetting = c == 0 && d == 0;
  return AnyRow(*record, [&](const ConstraintRow& row) {
    if ((row.flags & kConstraintConflictPair) == 0) return false;
    if (!bySetting) return row.option == a && row.value == b && row.feature == c && row.choice == d;
    if (row.feature != a || row.choice != b) return false;
    int current = 0;
    return ConditionValue(*record, devmode, row.option, current) && current == row.value;
  });
}
