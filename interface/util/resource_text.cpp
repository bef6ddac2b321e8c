#include "interface/util/resource_text.h"

#include "interface/app/library_state.h"
#include "platform/base/resources.h"

char* LoadResString(UINT id, char* buffer, int size) {
  if (!buffer || size <= 0) return nullptr;
  if (LoadStringA(LibraryInstance(), id, buffer, size) <= 0) buffer[0] = '\0';
  return buffer;
}
