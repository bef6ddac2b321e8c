// The boundary of every spooler call: store failures and allocation failures become
// Win32 error codes, never exceptions into a caller that cannot catch them.
#pragma once

#include <exception>
#include <new>

#include "platform/base/errors.h"
#include "platform/base/machine_db.h"

namespace platform::spooler {

DWORD ErrorFromDb(const db::Error& error);

// Runs a body that answers a Win32 error code.
template <class Body>
DWORD GuardCode(Body&& body) noexcept {
  try {
    return body();
  } catch (const db::Error& error) {
    return ErrorFromDb(error);
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (const std::exception&) {
    return ERROR_GEN_FAILURE;
  }
}

// The same for calls that answer BOOL and leave the code in the last error.
template <class Body>
BOOL GuardBool(Body&& body) noexcept {
  DWORD code = GuardCode(body);
  if (code == ERROR_SUCCESS) return TRUE;
  SetLastError(code);
  return FALSE;
}

}  // namespace platform::spooler
