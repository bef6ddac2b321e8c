#include "graphics/dispatch/country_group.h"

#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"

DWORD GetCountryGroup(HANDLE printer) {
  DWORD country = 0;
  if (GraphicsSettings().GetDword(printer, kStorePrinterData, "INTL", "iCountry", &country) != ERROR_SUCCESS)
    country = 0;
  switch (country) {
    case 1:
    case 2: return kCountryGroupNorthAmerica;
    case 81: return kCountryGroupJapan;
    default: return kCountryGroupOther;
  }
}
