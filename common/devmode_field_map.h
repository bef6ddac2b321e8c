// The field map the driver publishes per printer: one REG_DWORD printer-data
// value per name, holding the field's byte offset in the device mode's private
// part, so tools outside the driver can read and patch a stored device mode
// without our headers. The offsets come from the structure itself and cannot
// drift from it. The entries are in the order they are written.
#pragma once

#include <array>
#include <cstddef>

#include "common/xdevmode.h"

struct DevModeFieldMapEntry {
  const char* name;
  DWORD offset;  // from the start of the private part
};

#define ZEL_FIELD_MAP_ENTRY(name, member) \
  DevModeFieldMapEntry { name, static_cast<DWORD>(offsetof(XDEVMODE_PRIVATE, member)) }

inline constexpr std::array kDevModeFieldMap = {
    // The name says what the value is: the offset of the revision stamp.
    ZEL_FIELD_MAP_ENTRY("_OffsetRevision", revisionStamp),
    ZEL_FIELD_MAP_ENTRY("_nMediaType", _nMediaType),
    ZEL_FIELD_MAP_ENTRY("_iOutputSize", _iOutputSize),
    ZEL_FIELD_MAP_ENTRY("_iOutputFeedDirection", _iOutputFeedDirection),
    ZEL_FIELD_MAP_ENTRY("_nDuplex", _nDuplex),
    ZEL_FIELD_MAP_ENTRY("_nFixedOrientation", _nFixedOrientation),
    ZEL_FIELD_MAP_ENTRY("_nUpPCL", _nUpPCL),
    ZEL_FIELD_MAP_ENTRY("_nUp", _nUp),
    ZEL_FIELD_MAP_ENTRY("_nBooklet", _nBooklet),
    ZEL_FIELD_MAP_ENTRY("_bJog", _bJog),
    ZEL_FIELD_MAP_ENTRY("_bCollate", _bCollate),
    ZEL_FIELD_MAP_ENTRY("_iSNMP", _iSNMP),
    ZEL_FIELD_MAP_ENTRY("_sAccount", _sAccount),
    ZEL_FIELD_MAP_ENTRY("_sNote", _sNote),
    ZEL_FIELD_MAP_ENTRY("_epBanner", _epBanner),
    ZEL_FIELD_MAP_ENTRY("_epSlipSheet", _epSlipSheet),
    ZEL_FIELD_MAP_ENTRY("_epFrontCover", _epFrontCover),
    ZEL_FIELD_MAP_ENTRY("_epBackCover", _epBackCover),
    ZEL_FIELD_MAP_ENTRY("_wStaple", _wStaple),
    ZEL_FIELD_MAP_ENTRY("_nOutputTray", _nOutputTray),
    ZEL_FIELD_MAP_ENTRY("_nMarginType", _nMarginType),
    ZEL_FIELD_MAP_ENTRY("_nPDL", _nPDL),
    ZEL_FIELD_MAP_ENTRY("_dwAdvSettings", _dwAdvSettings),
};

#undef ZEL_FIELD_MAP_ENTRY

static_assert(kDevModeFieldMap.size() == 23);
