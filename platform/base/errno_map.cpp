#include "platform/base/errno_map.h"

#include <cerrno>

#include "platform/base/errors.h"

DWORD Win32ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    // No room for the data: the disk, the file size limit and the user's quota alike.
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EIO: return ERROR_WRITE_FAULT;
    case ECONNREFUSED: return ERROR_CONNECTION_REFUSED;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EHOSTUNREACH: return ERROR_HOST_UNREACHABLE;
    case ENETUNREACH:
    case ENETDOWN: return ERROR_NETWORK_UNREACHABLE;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE: return ERROR_CONNECTION_ABORTED;
    default: return ERROR_GEN_FAILURE;
  }
}
