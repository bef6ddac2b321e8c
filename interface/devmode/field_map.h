// The device mode's private offsets published as printer data, so that tools
// outside the driver can find fields of a stored device mode by name.
#pragma once

#include "platform/base/types.h"

// Writes one REG_DWORD printer-data value per name of the field map
// (common/devmode_field_map.h), in the map's order, each holding the field's
// offset from the start of the private part. Best effort: a value that cannot be
// written is skipped.
void PublishDevModeFieldMap(HANDLE printer);
