// Numbers of the installer's strings (kovpcl32d5.zrc).
#pragma once

#include "platform/base/types.h"

namespace fontinstaller {

constexpr UINT kStringNoMemoryForDialog = 1;
constexpr UINT kStringTypefaceTable = 306;  // 306 + a typeface's low byte: "<class letter>,<name>"
constexpr UINT kStringDownloadFailed = 640;
constexpr UINT kStringFontInstallerCaption = 687;
constexpr UINT kStringFontReadError = 700;
constexpr UINT kStringInstallerCaption = 702;
constexpr UINT kStringAlreadyRunning = 703;

}  // namespace fontinstaller
