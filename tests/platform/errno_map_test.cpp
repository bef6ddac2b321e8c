// The one errno-to-Win32 table: the causes callers act on (missing, denied, no
// room, too many open files, the network) each give one error, whichever path met
// them; no room for data is the disk-full error whether the disk, the file size
// limit or the user's quota ran out.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/base/errno_map.h"
#include "platform/base/errors.h"

namespace {

TEST(ErrnoMapTest, EachCauseGivesOneError) {
  const struct {
    int error;
    DWORD expected;
  } cases[] = {
      // clang-format off
      {ENOENT, ERROR_FILE_NOT_FOUND},       {ENOTDIR, ERROR_PATH_NOT_FOUND},
      {EACCES, ERROR_ACCESS_DENIED},        {EPERM, ERROR_ACCESS_DENIED},
      {EROFS, ERROR_ACCESS_DENIED},         {EISDIR, ERROR_ACCESS_DENIED},
      {EEXIST, ERROR_FILE_EXISTS},          {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
      {ENOSPC, ERROR_DISK_FULL},            {EFBIG, ERROR_DISK_FULL},
      {EDQUOT, ERROR_DISK_FULL},            {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
      {EMFILE, ERROR_TOO_MANY_OPEN_FILES},  {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
      {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},    {EIO, ERROR_WRITE_FAULT},
      {ECONNREFUSED, ERROR_CONNECTION_REFUSED}, {ETIMEDOUT, ERROR_TIMEOUT},
      {EHOSTUNREACH, ERROR_HOST_UNREACHABLE},   {ENETUNREACH, ERROR_NETWORK_UNREACHABLE},
      {ECONNRESET, ERROR_CONNECTION_ABORTED},   {EPIPE, ERROR_CONNECTION_ABORTED},
      {EINVAL, ERROR_GEN_FAILURE},          {0, ERROR_GEN_FAILURE},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(Win32ErrorFromErrno(c.error), c.expected) << "errno " << c.error;
}

}  // namespace
