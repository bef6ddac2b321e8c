// The tagged font metric files of a font package ("/tfm" in its directory file),
// converted into the installer's metrics block. Offsets, counts and the chain of
// directories come from the file and are checked before use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/installed_font_record.h"

namespace fontinstaller {

// The Windows code-page 1252 code of a Unicode character, -1 when it has none.
int AnsiCodeOfUnicode(int unicode);

// The block of a metric file's bytes; nothing (after the box about the byte
// order, when that was the fault) when they are no metric file.
std::optional<fontrecord::MetricsBlock> ConvertTfmMetrics(const std::vector<uint8_t>& tfm);

}  // namespace fontinstaller
