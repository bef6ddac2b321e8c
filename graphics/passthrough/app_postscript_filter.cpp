// The filter of application PostScript. Two walks: generic application
// PostScript is cut at its structure comments, so each application page
// becomes a driver page; the document reader's output has no usable page
// comments, so its pages are found by its page-start line and the "save" that
// follows it, which can come several calls later (the text in between is held
// back in a channel file until then).
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/pages/document_store.h"
#include "graphics/passthrough/app_postscript_filter.h"
#include "graphics/stream/output.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

constexpr char kSave[] = "save";
constexpr DWORD kSaveLength = 4;
constexpr int kCountdownFirst = 15;
constexpr int kCountdownAgain = 13;
constexpr int kHeldIndex = static_cast<int>(kChannelCapturedPostScript) - 1;

struct Marker {
  const char* text;
  DWORD length;
};
// Searched in this order; on equal offsets the earlier one wins.
constexpr Marker kMarkers[] = {
    {"%%BeginPageSetup", 16}, {"%%Trailer", 9}, {"%%Page:", 7}, {"DeleteMe", 8}, {"%%BeginSetup", 12}};
enum MarkerKind { kBeginPageSetup, kTrailer, kPage, kDeleteMe, kBeginSetup };

bool Write(PDEV* pdev, const void* data, DWORD length) {
  if (length == 0) return !OutputFailed(pdev);
  return WriteOut(pdev, kWriteBytes, static_cast<int>(length), data) == static_cast<int>(length) && !OutputFailed(pdev);
}

bool PageInProgress(const PDEV* pdev) { return pdev->pages.pageStarted != FALSE; }

bool EndDriverPage(PDEV* pdev) { return !PageInProgress(pdev) || EndPage(pdev) > 0; }

bool RestartPage(PDEV* pdev) { return EndDriverPage(pdev) && EnsurePageStarted(pdev, FALSE) > 0; }

bool BookletOrInserts(PDEV* pdev) { return pdev->devmode.dmPrivate._nBooklet != 0 || HasSheetInserts(pdev); }

// ---- The structure walk ----------------------------------------------------------

// Structure comments count only where a line starts: the same text inside a
// string, a comment or image data is the application's, never a page boundary.
// "DeleteMe" is removed wherever it stands.
bool IsLineEnd(BYTE c) { return c == '\r' || c == '\n'; }

bool IsStructureComment(int which) { return which != kDeleteMe; }

struct Found {
  int which = -1;
  DWORD at = kBytesNotFound;
};

// The first marker in data[pos, length); startAtPos says whether a line starts
// at pos.
Found NextMarker(const BYTE* data, DWORD length, DWORD pos, bool startAtPos) {
  Found found;
  for (DWORD p = pos; p < length && found.which < 0; ++p) {
    if (data[p] != '%' || !(p == pos ? startAtPos : IsLineEnd(data[p - 1]))) continue;
    for (int i = 0; i < static_cast<int>(std::size(kMarkers)); ++i) {
      if (!IsStructureComment(i) || length - p < kMarkers[i].length) continue;
      if (std::memcmp(data + p, kMarkers[i].text, kMarkers[i].length) == 0) {
        found = {i, p - pos};
        break;
      }
    }
  }
  const Marker& remove = kMarkers[kDeleteMe];
  const DWORD word = FindBytes(remove.text, remove.length, data + pos, length - pos);
  if (word != kBytesNotFound && (found.which < 0 || word < found.at)) found = {kDeleteMe, word};
  return found;
}

bool BeginsMarker(const BYTE* data, DWORD length, int which) {
  return length < kMarkers[which].length && std::memcmp(data, kMarkers[which].text, length) == 0;
}

// Where the tail of data[pos, length) that may begin a marker completed by the
// next call starts; length when there is none.
DWORD HeldTailStart(const BYTE* data, DWORD length, DWORD pos, bool startAtPos) {
  DWORD start = length;
  // The last line start, when what follows it begins a structure comment.
  DWORD line = length;
  while (line > pos && !IsLineEnd(data[line - 1])) --line;
  if (line < length && (line > pos || startAtPos)) {
    for (int i = 0; i < static_cast<int>(std::size(kMarkers)); ++i) {
      if (IsStructureComment(i) && BeginsMarker(data + line, length - line, i)) {
        start = line;
        break;
      }
    }
  }
  // The longest end of the data that begins the removed word.
  const Marker& remove = kMarkers[kDeleteMe];
  for (DWORD k = std::min<DWORD>(remove.length - 1, length - pos); k > 0; --k) {
    if (std::memcmp(data + length - k, remove.text, k) == 0) {
      start = std::min(start, length - k);
      break;
    }
  }
  return start;
}

bool HoldTail(PassthroughFilterState& state, const BYTE* data, DWORD length) {
  if (length > sizeof state.heldMarker) return false;
  std::memcpy(state.heldMarker, data, length);
  state.heldMarkerLength = length;
  return true;
}

int WalkStructure(PDEV* pdev, const BYTE* data, DWORD length) {
  PassthroughFilterState& state = pdev->job.passthrough;
  DWORD pos = 0;
  for (;;) {
    const bool startAtPos = pos == 0 ? state.midLine == FALSE : IsLineEnd(data[pos - 1]);
    const Found found = NextMarker(data, length, pos, startAtPos);
    if (found.which < 0) {
      const DWORD held = HeldTailStart(data, length, pos, startAtPos);
      if (!Write(pdev, data + pos, held - pos) || !HoldTail(state, data + held, length - held)) return -1;
      if (held > 0) state.midLine = IsLineEnd(data[held - 1]) ? FALSE : TRUE;
      return 1;
    }
    const DWORD at = found.at;
    const BYTE* marker = data + pos + at;
    // The line end stays with the text that follows.
    const DWORD line = LineLength(reinterpret_cast<const char*>(marker), length - pos - at);
    bool ok = true;
    switch (found.which) {
      case kBeginPageSetup:
        ok = Write(pdev, data + pos, at + line) && EnsurePageStarted(pdev, FALSE) > 0;
        pos += at + line;
        break;
      case kTrailer:
        ok = Write(pdev, data + pos, at) && EndDriverPage(pdev) && RecordPageOffset(pdev, FALSE) > 0 &&
             Write(pdev, marker, line);
        pos += at + line;
        break;
      case kPage:
        ok = Write(pdev, data + pos, at) && EndDriverPage(pdev) && Write(pdev, marker, line);
        pos += at + line;
        break;
      case kDeleteMe:
        ok = Write(pdev, data + pos, at);
        pos += at + kMarkers[kDeleteMe].length;
        break;
      default: {
        ok = Write(pdev, data + pos, at);
        const bool settingsHere = !PageInProgress(pdev) && pdev->carried.pageMakerVersion >= 6 &&
                                  IsPostScriptJob(pdev) && pdev->devmode.dmPrivate._nBooklet == 0;
        if (settingsHere) {
          ok = ok && EmitJobSettings(pdev, TRUE) > 0;
          pos += at + line;
        } else {
          pos += at + kMarkers[kBeginSetup].length;
        }
        break;
      }
    }
    if (!ok) return -1;
    // A removed word leaves the line as it was; anything else wrote up to pos.
    if (pos > 0 && found.which != kDeleteMe) state.midLine = IsLineEnd(data[pos - 1]) ? FALSE : TRUE;
  }
}

// The held tail goes in front of the call's data, so that a marker cut
// between two calls is found whole.
int WalkStructureAfterHeld(PDEV* pdev, const BYTE* data, DWORD length) {
  PassthroughFilterState& state = pdev->job.passthrough;
  if (state.heldMarkerLength == 0) return WalkStructure(pdev, data, length);
  std::vector<BYTE> joined(state.heldMarker, state.heldMarker + state.heldMarkerLength);
  joined.insert(joined.end(), data, data + length);
  state.heldMarkerLength = 0;
  return WalkStructure(pdev, joined.data(), static_cast<DWORD>(joined.size()));
}

// ---- The document reader's pages -----------------------------------------------

// Diverts data into the held-text channel, then goes back to the channel in use.
bool Hold(PDEV* pdev, const void* data, DWORD length) {
  if (length == 0) return true;
  const DWORD previous = pdev->output.currentChannel;
  const bool ok = SelectOutputChannel(pdev, kChannelCapturedPostScript) && Write(pdev, data, length) &&
                  FlushOutputBuffer(pdev) && SelectOutputChannel(pdev, previous);
  if (ok) pdev->job.passthrough.heldBytes += length;
  return ok;
}

// Writes the held text into the stream where it is now and forgets it, so that
// it is never sent twice.
bool ReplayHeld(PDEV* pdev) {
  PassthroughFilterState& state = pdev->job.passthrough;
  if (!FlushOutputBuffer(pdev)) return false;
  OutputChannel& row = pdev->output.channels[kHeldIndex];
  if (row.open && row.file != 0) CloseHandle(row.file);
  row.file = 0;
  row.open = FALSE;
  row.reading = FALSE;
  bool ok = true;
  if (row.path[0] != '\0') {
    HANDLE file =
        CreateFileA(row.path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file != INVALID_HANDLE_VALUE && file != 0) {
      BYTE piece[4096];
      for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, piece, sizeof piece, &got, nullptr)) {
          ok = false;
          break;
        }
        if (got == 0) break;
        if (!Write(pdev, piece, got)) {
          ok = false;
          break;
        }
      }
      CloseHandle(file);
      DeleteFileA(row.path);
    }
  }
  state.heldBytes = 0;
  return ok;
}

struct Window {
  DWORD first;   // calls after the page line: "save" within this many bytes of the data
  DWORD second;  // "save" within this many bytes after the page line
};

Window SaveWindows(const PDEV* pdev) { return pdev->carried.acrobatVersion < 6 ? Window{32, 206} : Window{9900, 9900}; }

// The line-removal comment starts a page: the text before it ends the current
// one. `line` is where the comment starts in data (or, completed across calls,
// the bytes of data that finished it).
bool AtRemovalLine(PDEV* pdev, const BYTE* data, DWORD length, DWORD start, bool completed) {
  if (!Write(pdev, data, completed ? 0 : start) || !RestartPage(pdev)) return false;
  if (completed) {
    return Write(pdev, PassthroughLineText(1), PassthroughLineLength(1)) && Write(pdev, data + start, length - start);
  }
  return Write(pdev, data + start, length - start);
}

// The page line: the page starts with it when its "save" follows closely;
// otherwise the line and what follows are held until the "save" comes.
bool AtPageLine(PDEV* pdev, const BYTE* data, DWORD length, DWORD start, bool completed, bool again) {
  PassthroughFilterState& state = pdev->job.passthrough;
  const DWORD before = completed ? 0 : start;
  const DWORD afterLine = completed ? start : start + PassthroughLineLength(0);
  if (!Write(pdev, data, before)) return false;
  const DWORD window = std::min(SaveWindows(pdev).second, length - afterLine);
  const bool saveFollows = FindBytes(kSave, kSaveLength, data + afterLine, window) != kBytesNotFound;
  const BYTE* line = completed ? reinterpret_cast<const BYTE*>(PassthroughLineText(0)) : data + start;
  const DWORD lineLength = PassthroughLineLength(0);
  if (saveFollows) {
    return RestartPage(pdev) && Write(pdev, line, lineLength) && Write(pdev, data + afterLine, length - afterLine);
  }
  if (!Hold(pdev, line, lineLength) || !Hold(pdev, data + afterLine, length - afterLine)) return false;
  state.saveCountdown = completed || again ? kCountdownAgain : kCountdownFirst;
  return true;
}

int FilterDocumentReader(PDEV* pdev, const BYTE* data, DWORD length) {
  PassthroughFilterState& state = pdev->job.passthrough;
  const int answer = static_cast<int>(length);

  if (state.saveCountdown > 0) {
    const DWORD window = std::min(SaveWindows(pdev).first, length);
    if (FindBytes(kSave, kSaveLength, data, window) == kBytesNotFound) {
      --state.saveCountdown;
      if (state.saveCountdown > 0) return Hold(pdev, data, length) ? answer : -1;
      // No page after all: the held text goes out unchanged where it was meant to.
      if (BookletOrInserts(pdev) && !SelectOutputChannel(pdev, kChannelPages)) return -1;
      return ReplayHeld(pdev) && Write(pdev, data, length) ? answer : -1;
    }
    state.saveCountdown = 0;
    if (!RestartPage(pdev) || !ReplayHeld(pdev)) return -1;
  }

  if (state.foundLine == 1) {
    const DWORD at = FindBytes(PassthroughLineText(0), PassthroughLineLength(0), data, length);
    if (at == kBytesNotFound) return Write(pdev, data, length) ? answer : -1;
    return AtPageLine(pdev, data, length, at, false, true) ? answer : -1;
  }
  if (state.foundLine == 2) {
    const DWORD at = FindBytes(PassthroughLineText(1), PassthroughLineLength(1), data, length);
    if (at == kBytesNotFound) return Write(pdev, data, length) ? answer : -1;
    return AtRemovalLine(pdev, data, length, at, false) ? answer : -1;
  }

  int row = 0;
  for (;;) {
    const DWORD at = MatchPassthroughLine(data, length, row, state.match);
    const int matchedRow = state.match.row;
    switch (state.match.result) {
      case kLineMatched:
      case kLineCompleted: {
        const bool completed = state.match.result == kLineCompleted;
        state.foundLine = static_cast<WORD>(matchedRow + 1);
        state.match = PassthroughMatch{};
        const bool ok = matchedRow == 1 ? AtRemovalLine(pdev, data, length, at, completed)
                                        : AtPageLine(pdev, data, length, at, completed, false);
        return ok ? answer : -1;
      }
      case kLinePartialAtEnd:
        // The partial line's bytes wait in the matcher for the next call.
        return Write(pdev, data, at) ? answer : -1;
      case kLineBroken: {
        // A false start: its bytes go out as they came, and the data is looked at afresh.
        const DWORD held = state.match.matched;
        state.match = PassthroughMatch{};
        if (!Write(pdev, PassthroughLineText(matchedRow), held)) return -1;
        row = 0;
        continue;
      }
      default:
        if (row == 0) {
          row = 1;
          continue;
        }
        return Write(pdev, data, length) ? answer : -1;
    }
  }
}

}  // namespace

int FilterAppPostScript(PDEV* pdev, const BYTE* data, DWORD length) {
  if (pdev == nullptr) return -1;
  if (data == nullptr || length == 0) return 0;
  if (pdev->job.passthrough.embeddedDocument) return Write(pdev, data, length) ? static_cast<int>(length) : -1;
  if (pdev->carried.acrobatVersion == 0) return WalkStructureAfterHeld(pdev, data, length);
  return FilterDocumentReader(pdev, data, length);
}

bool FlushHeldAppPostScript(PDEV* pdev) {
  if (pdev == nullptr) return false;
  PassthroughFilterState& state = pdev->job.passthrough;
  const DWORD length = state.heldMarkerLength;
  state.heldMarkerLength = 0;
  if (length == 0) return true;
  state.midLine = IsLineEnd(state.heldMarker[length - 1]) ? FALSE : TRUE;
  return Write(pdev, state.heldMarker, length);
}
