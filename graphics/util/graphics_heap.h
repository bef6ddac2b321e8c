// Heap blocks of the graphics library. They come from the run-time heap; the
// only addition is a switch by which a test makes allocations fail, so that the
// library's out-of-memory paths (which must drop data rather than crash) can run.
#pragma once

#include <cstddef>

// A zeroed block of `bytes` (at least one byte is allocated), or nullptr.
void* GraphicsHeapAlloc(size_t bytes);
// Resizes a block as realloc does; nullptr on failure, the old block intact.
void* GraphicsHeapRealloc(void* block, size_t bytes);
void GraphicsHeapFree(void* block);

// Lets the next `successes` allocations succeed and fails every later one, until
// called again with a negative count (the default: never fail).
void FailGraphicsHeapAfter(int successes);
