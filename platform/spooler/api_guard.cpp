#include "platform/spooler/api_guard.h"

#include <sqlite3.h>

namespace platform::spooler {

DWORD ErrorFromDb(const db::Error& error) {
  switch (error.code() & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_BUSY;
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CANTOPEN: return ERROR_OPEN_FAILED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_INVALID_DATA;
    case SQLITE_IOERR: return ERROR_WRITE_FAULT;
    default: return ERROR_GEN_FAILURE;
  }
}

}  // namespace platform::spooler
