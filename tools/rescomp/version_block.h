// The version block in its wide VS_VERSIONINFO form (layout in platform/base/resource_format.h).
#pragma once

#include <vector>

#include "tools/rescomp/script.h"

namespace rescomp {

std::vector<unsigned char> BuildVersionBlock(const VersionInfo& version);

}  // namespace rescomp
