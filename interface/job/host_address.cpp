#include "interface/job/host_address.h"

#include "common/driver_escapes.h"
#include "platform/gdi/dc.h"
#include "query/trap_reception.h"

void SendHostAddress(HDC dc) {
  LocalHostAddress record{};
  GetLocalHostAddress(&record);
  // A host without an address sends none; the job then carries no attribute.
  if (record.addressText[0] == '\0') return;
  ExtEscape(dc, static_cast<int>(kEscJobIdentity), sizeof record.address, reinterpret_cast<const char*>(record.address),
            0, nullptr);
}
