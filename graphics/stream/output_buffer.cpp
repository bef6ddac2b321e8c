// The 64 KB output buffer: every writer appends to it, and it drains into the
// current channel when it is full, when a channel is selected or when a writer
// needs exact file offsets.
#include <algorithm>
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"

int AllocOutputBuffer(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  OutputState& output = pdev->output;
  if (output.buffer == nullptr) {
    output.buffer = static_cast<BYTE*>(GraphicsHeapAlloc(kOutputBufferAllocation));
    if (output.buffer == nullptr) return 0;
  }
  output.fill = 0;
  output.currentChannel = kChannelSpooler;
  output.savedChannel = kChannelSpooler;
  return 1;
}

void FreeOutputBuffer(PDEV* pdev) {
  if (pdev == nullptr) return;
  // The job's files hold document content: they go with the device context
  // even when the document was never ended.
  DeleteChannelFiles(pdev);
  GraphicsHeapFree(pdev->output.buffer);
  pdev->output.buffer = nullptr;
  pdev->output.fill = 0;
}

BOOL OutputFailed(const PDEV* pdev) { return pdev != nullptr && pdev->output.failed; }

int FlushOutputBuffer(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  OutputState& output = pdev->output;
  if (output.failed) {
    output.fill = 0;
    return 0;  // the job already lost bytes: nothing may follow the hole
  }
  if (output.fill == 0) return 1;
  const DWORD fill = output.fill;
  output.fill = 0;  // sent or dropped, the bytes leave the buffer
  if (output.buffer == nullptr || output.currentChannel < 1 || output.currentChannel > kOutputChannelCount) {
    return 0;
  }
  DWORD written = 0;
  return WriteChannel(pdev, static_cast<int>(output.currentChannel) - 1, output.buffer, fill, &written) ? 1 : 0;
}

int WriteOutputBuffered(PDEV* pdev, const void* data, int length) {
  if (pdev == nullptr || data == nullptr || length < 1) return 0;
  OutputState& output = pdev->output;
  if (output.buffer == nullptr || output.failed) return 0;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  DWORD remaining = static_cast<DWORD>(length);
  while (remaining > 0) {
    const DWORD piece = std::min(remaining, kOutputBufferBytes - output.fill);
    std::memcpy(output.buffer + output.fill, bytes, piece);
    output.fill += piece;
    bytes += piece;
    remaining -= piece;
    if (output.fill == kOutputBufferBytes && !FlushOutputBuffer(pdev)) {
      output.fill = 0;
      return 0;
    }
  }
  return length;
}

int SelectOutputChannel(PDEV* pdev, DWORD channel) {
  if (pdev == nullptr || channel < 1 || channel > kOutputChannelCount) return 0;
  if (!FlushOutputBuffer(pdev)) return 0;
  pdev->output.currentChannel = channel;
  return 1;
}
