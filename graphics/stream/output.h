// The output stream of a device context: every byte of a job goes through
// WriteOut into the 64 KB buffer, which drains into the current channel
// (channel 1 the spooler, channels 2-8 temporary files of the job). The
// page-offset file indexes stored pages and tab sheets so that they can be
// replayed in another order at the end of the document.
//
// All operations take the PDEV; a null PDEV yields 0 and does nothing. Channel
// numbers are 1-based, channel indexes (WriteChannel, the copy helpers) 0-based.
//
// Failures: a write the spooler or a channel file does not take completely marks
// the job failed (OutputState::failed); from then on every write is refused
// (result 0) until the next document starts (InitChannelFiles). OutputFailed
// tells a caller whether that happened.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "platform/base/types.h"

struct PDEV;

// WriteOut modes.
constexpr int kWriteBytes = 1;              // length bytes as they are
constexpr int kWriteText = 2;               // terminated text, without its terminator
constexpr int kWriteAsciiHex = 4;           // length bytes as ASCIIHex
constexpr int kWriteAscii85 = 5;            // length bytes as ASCII85, groups may straddle calls
constexpr int kWriteAscii85End = 7;         // ends ASCII85 data: the carried bytes, "~>\n"
constexpr int kWriteAsciiHexEnd = 8;        // ends ASCIIHex data: ">\n"
constexpr int kWriteFile = 9;               // the whole file named by the ANSI path
constexpr int kWritePostScriptString = 10;  // a PostScript string literal of the text

// Channels (1-based).
constexpr DWORD kChannelSpooler = 1;
constexpr DWORD kChannelPages = 2;
constexpr DWORD kChannelDownloads = 3;
constexpr DWORD kChannelWatermark = 4;
constexpr DWORD kChannelPageOffsets = 5;  // the page-offset ini file, never written as a channel
constexpr DWORD kChannelReserved = 6;
constexpr DWORD kChannelTabs = 7;
constexpr DWORD kChannelCapturedPostScript = 8;

// The usual target of FormatOut: the PDEV's line buffers.
constexpr size_t kFormatBufferBytes = 1024;
// The escaped job-attribute block never exceeds this many bytes.
constexpr size_t kJobAttributeBlockBytes = 1536;

// Appends data to the output buffer in the given mode; the result is the number
// of bytes appended (0 when nothing could be taken). Mode 9 answers 1 when the
// whole file went into the buffer (an empty file gives nothing and 1) and 0
// when it is missing, could not be mapped or the buffer refused it, so that a
// caller learns that the job lacks the file.
int WriteOut(PDEV* pdev, int mode, int length, const void* data);

// The stream's formatter: "%" and one letter form a conversion, with no flags
// or widths: %d and %l a signed 32-bit int; %u, %x (upper-case hexadecimal, at
// least 2 digits), %X (at least 4) and %o (octal, at least 3) an unsigned 32-bit
// int; %c a byte; %s a text (null: nothing); %b "true" or "false"; %f a 24.8
// fixed-point 32-bit int (at most 3 decimals); %F a pointer to a float (at most
// 4 truncated decimals). Any other letter is copied, so "%%" gives "%"; a "%"
// at the end ends the text.
// Writes at most capacity bytes, terminator included. The result is the length
// of the text (without the terminator); when the text did not fit, the buffer
// holds its first capacity-1 bytes, terminated, and the result is -1 (with
// capacity 0 nothing is written and the result is -1).
int FormatOut(char* buffer, size_t capacity, const char* format, ...);
int FormatOutV(char* buffer, size_t capacity, const char* format, va_list args);
// The same into an array whose size is the capacity (the PDEV's line buffers).
template <size_t N>
int FormatOut(char (&buffer)[N], const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatOutV(buffer, N, format, args);
  va_end(args);
  return result;
}

// Buffer life: allocated while the PDEV is filled (fill 0, channels 1), freed
// with the PDEV. FreeOutputBuffer also deletes the job's channel files.
int AllocOutputBuffer(PDEV* pdev);
void FreeOutputBuffer(PDEV* pdev);
// Whether a write of this job failed (the job is incomplete).
BOOL OutputFailed(const PDEV* pdev);

int WriteOutputBuffered(PDEV* pdev, const void* data, int length);
// 1 when nothing was buffered or the channel took every byte; 0 when a write
// failed or the job had failed before. The buffer is empty afterwards.
int FlushOutputBuffer(PDEV* pdev);
int SelectOutputChannel(PDEV* pdev, DWORD channel);
// Writes straight to channel index 0-7 (0 the spooler), bypassing the buffer;
// callers flush first. *written receives the bytes written.
BOOL WriteChannel(PDEV* pdev, int index, const void* data, DWORD length, DWORD* written);

// Channel files of a document. InitChannelFiles starts a document: it deletes
// what a previous document left, clears the table, marks the spooler row open
// and builds the page-offset file's path in a folder of this job's own.
// DeleteChannelFiles closes and deletes every file of the job and its folder;
// it may be called any number of times (also without InitChannelFiles, at the
// end of an aborted job).
BOOL InitChannelFiles(PDEV* pdev);
void DeleteChannelFiles(PDEV* pdev);
// Hands the channel table and the job's files from one PDEV to another (reset
// of a device context during a job); the old one then owns no files.
void MoveChannelFiles(PDEV* from, PDEV* to);

int EmitDownloadFile(PDEV* pdev);
int EmitWatermarkFile(PDEV* pdev);
int ReplayCapturedBlock(PDEV* pdev, int target);

// Page-offset records (each flushes first and answers 1; 0 when the flush or
// the record failed, which marks the job failed). The page records are written
// under the page of pdev->output.pageRecord (page number, paper id, feed
// direction), which the page store sets when it starts storing a page; offsets
// are the pages and tab files' 64-bit byte counts, in decimal.
int RecordPageOffset(PDEV* pdev, BOOL withPaper);
int RecordPageTicket(PDEV* pdev);
int RecordDocTrailer(PDEV* pdev);
int RecordTabStart(PDEV* pdev, int n);
int RecordTabEnd(PDEV* pdev, int n, LONGLONG correction);

// A value of the page-offset file (sections "Page Offsets", "Page Tickets",
// "Paper Size", "Feed Direction", "Page Tabs"); FALSE when it is missing.
BOOL ReadPageOffsetValue(PDEV* pdev, const char* section, const char* key, LONGLONG* value);
// Records a value of its own section (the page store's trailer lengths);
// FALSE, with the job marked failed, when it cannot be kept.
BOOL RecordPageOffsetValue(PDEV* pdev, const char* section, const char* key, LONGLONG value);
// Drops a record, as though it had never been made.
void ForgetPageOffsetValue(PDEV* pdev, const char* section, const char* key);
// Writes every record into the job's page-offset file at once (replacing it);
// 1 when the whole file was written.
int WritePageOffsetFile(PDEV* pdev);

// Replays of stored ranges to the spooler (each flushes first and answers 1;
// 0 when a write failed).
int EmitStoredPageHead(PDEV* pdev, int page, int last);
int EmitStoredPage(PDEV* pdev, int page, int last, BOOL fromTicket);
int EmitStoredPageBody(PDEV* pdev, int page, int last, DWORD tail);
int EmitStoredDocTrailer(PDEV* pdev);
int EmitStoredTabSheets(PDEV* pdev, int first, int last);

// Copies the host macro file of the device mode's "MacroId" into the current
// channel; 1 when it was copied whole, 0 otherwise.
int EmitHostMacro(PDEV* pdev);
// Writes the "@PJL SET JOBATTR=" line when an address value was set; 1.
int EmitJobAttributes(PDEV* pdev);
// Escapes the first `length` bytes of block (bytes below 32, '"' and '=' become
// "=" and two hexadecimal digits) into out, stopping before an item that no
// longer fits in capacity bytes; answers the bytes written (no terminator).
size_t EscapeJobAttribute(char* out, size_t capacity, const char* block, size_t length);

// "<TempDir>\temp\" of the settings (created), or the machine's temporary
// folder when the setting cannot be read; FALSE when no folder could be made.
BOOL GetDriverTempFolder(char* folder, size_t size);

// Channel read-back (index 0-7).
BOOL OpenChannelForReading(PDEV* pdev, int index);
BOOL CopyChannelFile(PDEV* pdev, int sourceIndex, int targetIndex);
// Copies [start, end) of the channel's file to the spooler; end 0: the file's size.
BOOL CopyChannelRange(PDEV* pdev, int sourceIndex, ULONGLONG start, ULONGLONG end);

// String helpers; every result is terminated.
int UnicodeToAnsi(char* destination, int size, const WCHAR* text, int count);
int MultiByteToUnicode(WCHAR* destination, const char* text, int count);
int UnicodeToMultiByte(UINT codePage, const WCHAR* text, int count, char* destination, int size);
void CopyStringPadded(char* destination, const char* text, size_t size);
