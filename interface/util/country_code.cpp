#include "interface/util/country_code.h"

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "platform/base/profile.h"

int GetCountryCode(HANDLE printer) {
  const UINT country = GetProfileIntA("intl", "icountry", 0);
  LibrarySettings().SetDword(printer, kStorePrinterData, "INTL", "iCountry", country);
  switch (country) {
    case 1:
    case 2: return 1;
    case 81: return 81;
    default: return 0;
  }
}
