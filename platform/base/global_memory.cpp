#include "platform/base/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/handles.h"

// The system has no text for this code.
#ifndef ERROR_MR_MID_NOT_FOUND
#define ERROR_MR_MID_NOT_FOUND 317L
#endif

namespace {

class GlobalBlock : public platform::KernelObject {
 public:
  std::mutex lock;
  std::vector<unsigned char> bytes;
  UINT flags = 0;
  int locks = 0;
};

std::shared_ptr<GlobalBlock> Block(HGLOBAL handle) { return platform::LookupHandle<GlobalBlock>(handle); }

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  auto block = std::make_shared<GlobalBlock>();
  try {
    // Always zeroed: a block never shows another block's old bytes.
    block->bytes.assign(bytes == 0 ? 0 : bytes, 0);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  block->flags = flags;
  return platform::InsertHandle(block);
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags) {
  std::shared_ptr<GlobalBlock> block = Block(handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::lock_guard<std::mutex> guard(block->lock);
  // A locked block may move only when the caller allows it.
  if (block->locks > 0 && (flags & GMEM_MOVEABLE) == 0 && bytes > block->bytes.capacity()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  try {
    block->bytes.resize(bytes, 0);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  return handle;
}

LPVOID GlobalLock(HGLOBAL handle) {
  std::shared_ptr<GlobalBlock> block = Block(handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(block->lock);
  ++block->locks;
  // A zero-sized block still answers an address, never to be read.
  static unsigned char empty;
  return block->bytes.empty() ? &empty : block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL handle) {
  std::shared_ptr<GlobalBlock> block = Block(handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(block->lock);
  if (block->locks > 0) --block->locks;
  return block->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL handle) {
  std::shared_ptr<GlobalBlock> block = Block(handle);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::lock_guard<std::mutex> guard(block->lock);
  return block->bytes.size();
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  if (!Block(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return handle;
  }
  platform::RemoveHandle(handle);
  return 0;
}

namespace {

const char* SystemText(DWORD code) {
  switch (code) {
    case 0: return "The operation completed successfully.";
    case 2: return "The system cannot find the file specified.";
    case 3: return "The system cannot find the path specified.";
    case 5: return "Access is denied.";
    case 6: return "The handle is invalid.";
    case 8: return "Not enough memory resources are available to process this command.";
    case 14: return "Not enough memory resources are available to complete this operation.";
    case 87: return "The parameter is incorrect.";
    case 122: return "The data area passed to a system call is too small.";
    case 1801: return "The printer name is invalid.";
    case 1804: return "The specified datatype is invalid.";
    case 1796: return "The specified port is unknown.";
    case 3003: return "The specified print monitor does not have the required functions.";
    default: return nullptr;
  }
}

}  // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, void*) {
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* known = SystemText(messageId);
  if (!known) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  const std::string text = std::string(known) + "\r\n";
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (!out) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(out, text.c_str(), text.size() + 1);
    *reinterpret_cast<char**>(buffer) = out;
    return static_cast<DWORD>(text.size());
  }
  if (size <= text.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}
