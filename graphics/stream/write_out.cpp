// The one writer of the job stream: raw bytes, text, the two text encodings of
// binary PostScript data (ASCIIHex, ASCII85 with groups that straddle calls),
// whole files and PostScript string literals, all appended to the output buffer.
#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/core/pdev.h"
#include "graphics/encode/encoders.h"
#include "graphics/stream/map_data_file.h"
#include "graphics/stream/output.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"

namespace {

// Pieces that, encoded with their line feeds, fill the encoder buffer exactly
// (ASCIIHex: 2,028 digits and 20 line feeds) or nearly (ASCII85: 399 groups,
// 1,995 characters and 19 line feeds).
constexpr DWORD kAsciiHexPiece = 1014;
constexpr DWORD kAscii85Piece = 1596;
constexpr DWORD kFilePiece = 4096;
constexpr size_t kFilePathChars = 499;

// Appends and answers whether every byte was taken.
bool Append(PDEV* pdev, const void* data, DWORD length, int& total) {
  if (length == 0) return true;
  if (WriteOutputBuffered(pdev, data, static_cast<int>(length)) != static_cast<int>(length)) return false;
  total += static_cast<int>(length);
  return true;
}

int WriteAsciiHex(PDEV* pdev, const BYTE* data, int length) {
  if (data == nullptr || length < 1) return 0;
  EncoderState& encoder = pdev->encoder;
  int total = 0;
  for (DWORD done = 0; done < static_cast<DWORD>(length);) {
    const DWORD piece = std::min<DWORD>(kAsciiHexPiece, static_cast<DWORD>(length) - done);
    const DWORD encoded = EncodeAsciiHex(data + done, piece, encoder.buffer, kEncoderBufferBytes);
    if (!Append(pdev, encoder.buffer, encoded, total)) return 0;
    done += piece;
  }
  return total;
}

int WriteAscii85(PDEV* pdev, const BYTE* data, int length) {
  if (data == nullptr || length < 1) return 0;
  EncoderState& encoder = pdev->encoder;
  DWORD remaining = static_cast<DWORD>(length);
  int total = 0;
  // Complete the group a previous call left open.
  if (encoder.carryCount > 0) {
    const DWORD moved = std::min<DWORD>(4 - encoder.carryCount, remaining);
    std::memcpy(encoder.carry + encoder.carryCount, data, moved);
    encoder.carryCount += moved;
    data += moved;
    remaining -= moved;
    if (encoder.carryCount == 4) {
      const DWORD encoded = EncodeAscii85Group(encoder.carry, 4, encoder.buffer);
      encoder.carryCount = 0;
      if (!Append(pdev, encoder.buffer, encoded, total)) return 0;
    }
  }
  while (remaining >= kAscii85Piece) {
    const DWORD encoded = EncodeAscii85(data, kAscii85Piece, encoder.buffer, kEncoderBufferBytes);
    if (!Append(pdev, encoder.buffer, encoded, total)) return 0;
    data += kAscii85Piece;
    remaining -= kAscii85Piece;
  }
  const DWORD whole = remaining & ~DWORD{3};
  if (whole > 0) {
    const DWORD encoded = EncodeAscii85(data, whole, encoder.buffer, kEncoderBufferBytes);
    if (!Append(pdev, encoder.buffer, encoded, total)) return 0;
    data += whole;
    remaining -= whole;
  }
  // The last 0-3 bytes wait for the next call or the end of the data (when the
  // carry is still open, the input went into it whole).
  if (remaining > 0) {
    std::memcpy(encoder.carry, data, remaining);
    encoder.carryCount = remaining;
  }
  return total;
}

int EndAscii85(PDEV* pdev) {
  EncoderState& encoder = pdev->encoder;
  int total = 0;
  if (encoder.carryCount > 0) {
    const DWORD encoded = EncodeAscii85Group(encoder.carry, encoder.carryCount, encoder.buffer);
    encoder.carryCount = 0;
    if (!Append(pdev, encoder.buffer, encoded, total)) return 0;
  }
  if (!Append(pdev, "~>\n", 3, total)) return 0;
  return total;
}

// The whole file, through a read-only mapping. 1 when it went into the buffer
// (an empty file included), 0 when it is missing or could not be mapped, so the
// caller learns that the job lacks it.
int WriteFileContents(PDEV* pdev, const char* ansiPath) {
  if (ansiPath == nullptr) return 0;
  std::u16string wide = platform::ToUtf16(ansiPath);
  if (wide.size() > kFilePathChars) return 0;
  HANDLE file = 0;
  HANDLE mapping = 0;
  const void* view = nullptr;
  DWORD size = 0;
  if (!MapDataFile(wide.c_str(), &file, &mapping, &view, &size)) {
    return GetLastError() == ERROR_FILE_INVALID ? 1 : 0;  // an empty file has nothing to give
  }
  const BYTE* bytes = static_cast<const BYTE*>(view);
  int total = 0;
  bool ok = true;
  for (DWORD done = 0; ok && done < size; done += kFilePiece) {
    ok = Append(pdev, bytes + done, std::min(kFilePiece, size - done), total);
  }
  UnmapDataFile(&file, &mapping, &view);
  return ok ? 1 : 0;
}

// A PostScript string literal: "\" before "(", ")" and "\", bytes below 32 as
// "\" and three octal digits; the runs between escapes go out in one piece each.
int WritePostScriptString(PDEV* pdev, const char* text, int length) {
  if (text == nullptr || length < 0) return 0;
  const size_t count = length == 0 ? std::strlen(text) : static_cast<size_t>(length);
  int total = 0;
  if (!Append(pdev, "(", 1, total)) return 0;
  size_t runStart = 0;
  for (size_t i = 0; i < count; ++i) {
    const BYTE byte = static_cast<BYTE>(text[i]);
    char escape[4];
    DWORD escapeLength = 0;
    if (byte == '(' || byte == ')' || byte == '\\') {
      escape[0] = '\\';
      escape[1] = static_cast<char>(byte);
      escapeLength = 2;
    } else if (byte < 32) {
      escape[0] = '\\';
      escape[1] = static_cast<char>('0' + (byte >> 6));
      escape[2] = static_cast<char>('0' + ((byte >> 3) & 7));
      escape[3] = static_cast<char>('0' + (byte & 7));
      escapeLength = 4;
    } else {
      continue;
    }
    if (!Append(pdev, text + runStart, static_cast<DWORD>(i - runStart), total)) return 0;
    if (!Append(pdev, escape, escapeLength, total)) return 0;
    runStart = i + 1;
  }
  if (!Append(pdev, text + runStart, static_cast<DWORD>(count - runStart), total)) return 0;
  if (!Append(pdev, ")", 1, total)) return 0;
  return total;
}

}  // namespace

int WriteOut(PDEV* pdev, int mode, int length, const void* data) {
  if (pdev == nullptr || pdev->output.failed) return 0;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  switch (mode) {
    case kWriteBytes: return WriteOutputBuffered(pdev, data, length);
    case kWriteText: {
      if (data == nullptr) return 0;
      const size_t textLength = std::strlen(static_cast<const char*>(data));
      if (textLength == 0) return 0;
      return WriteOutputBuffered(pdev, data, static_cast<int>(textLength));
    }
    case kWriteAsciiHex: return WriteAsciiHex(pdev, bytes, length);
    case kWriteAscii85: return WriteAscii85(pdev, bytes, length);
    case kWriteAscii85End: return EndAscii85(pdev);
    case kWriteAsciiHexEnd: return WriteOutputBuffered(pdev, ">\n", 2);
    case kWriteFile: return WriteFileContents(pdev, static_cast<const char*>(data));
    case kWritePostScriptString: return WritePostScriptString(pdev, static_cast<const char*>(data), length);
    default: return 0;  // 3, 6 and unknown modes write nothing
  }
}
