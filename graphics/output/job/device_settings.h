// The device settings of a job, a page and an inserted sheet (resolution,
// copies and collation, output bin, finishing, job offset, edge-to-edge
// printing, input tray, media, paper, feed edge, duplex, halftone screen) as
// printer commands: PJL SET lines followed by the PCL equivalents for PCL jobs,
// one setpagedevice dictionary for PostScript jobs.
//
// The writer compares each request with the settings last sent in the job
// (PDEV::carried.jobSettings, a DeviceSettings record) and writes only what changed, so
// a setting goes out once and again only when a page or inserted sheet asks for
// another value. Every write replaces the record with the whole request, so the
// next comparison sees only what the last request named.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

struct PDEV;

// One request: which settings are meant (mask) and their values. Fourteen
// 32-bit fields in this order; PDEV::carried.jobSettings holds the one last sent.
struct DeviceSettings {
  DWORD mask = 0;       // kSettings* bits
  DWORD switches = 0;   // kSwitch* bits: the on/off settings
  DWORD inputTray = 0;  // paper source: 256 + the model's tray id, or kAutomaticTray
  DWORD outputBin = 0;  // 256 + the model's bin id; 0 none
  DWORD duplex = 0;     // kDuplexSimplex, kDuplexLongEdge, kDuplexShortEdge
  DWORD mediaType = 0;  // media id of the model's media table
  DWORD paperSize = 0;  // paper id of the model's paper table
  DWORD copies = 0;
  DWORD staple = 0;      // staple position id, 0 none
  DWORD fold = 0;        // fold unit id, 0 none
  DWORD punch = 0;       // punch unit id, 0 none
  DWORD feedEdge = 0;    // the paper's feed-direction byte: above 0 long edge first
  DWORD trim = 0;        // 0 off, otherwise on
  DWORD resolution = 0;  // dots per inch
};
static_assert(sizeof(DeviceSettings) == 14 * sizeof(DWORD), "fourteen 32-bit fields");

// Mask bits.
constexpr DWORD kSettingsPaperSize = 0x00001;
constexpr DWORD kSettingsFeedEdge = 0x00002;  // PostScript only
constexpr DWORD kSettingsMediaType = 0x00004;
constexpr DWORD kSettingsDuplex = 0x00008;
constexpr DWORD kSettingsCollate = 0x00010;
constexpr DWORD kSettingsCopies = 0x00020;
constexpr DWORD kSettingsJobOffset = 0x00040;
constexpr DWORD kSettingsStaple = 0x00080;
constexpr DWORD kSettingsEdgeToEdge = 0x00100;
constexpr DWORD kSettingsFold = 0x00200;
constexpr DWORD kSettingsPunch = 0x00400;
constexpr DWORD kSettingsOutputBin = 0x00800;
constexpr DWORD kSettingsFaceUp = 0x01000;
constexpr DWORD kSettingsInputTray = 0x02000;
constexpr DWORD kSettingsTrayWithPaper = 0x04000;  // the tray with the paper it holds (inserted sheets)
constexpr DWORD kSettingsScreen = 0x08000;         // PostScript only
constexpr DWORD kSettingsTrim = 0x10000;
constexpr DWORD kSettingsResolution = 0x20000;
// The settings that go into the PJL block of a PCL job (face-up delivery as
// part of the OUTBIN line).
constexpr DWORD kSettingsPjlBlock = 0x31FF0;

// Switch bits.
constexpr DWORD kSwitchCollate = 0x0010;
constexpr DWORD kSwitchJobOffset = 0x0040;
constexpr DWORD kSwitchEdgeToEdge = 0x0100;
constexpr DWORD kSwitchFaceUp = 0x1000;

// Duplex values.
constexpr DWORD kDuplexSimplex = 1;
constexpr DWORD kDuplexLongEdge = 2;
constexpr DWORD kDuplexShortEdge = 3;

// The paper source that lets the printer choose the tray.
constexpr DWORD kAutomaticTray = 15;
// dmDefaultSource when the paper comes from the page-ticket source ranges.
constexpr SHORT kPaperByPageTicket = 500;

// The request of GetPdlCommand for a paper-source command.
constexpr DWORD kPdlCommandPaperSource = 0x6000;

// Builds the job-level request (jobLevel TRUE: resolution, copies, collation,
// bin, finishing, face-up, job offset, edge-to-edge; written forced) or the
// page-level request (FALSE: tray, media, duplex, paper, feed edge, screen)
// from the PDEV's device mode and writes it. 0 without a PDEV or model record;
// 1 otherwise, also at once with nothing written for PCL macro output.
int EmitJobSettings(PDEV* pdev, BOOL jobLevel);

// Writes what the request changes against the settings last sent (everything
// the request names when forced) and makes the request the settings last
// sent. Nothing is written for a page in the middle of an N-up sheet; a change
// that comes while a sheet is open ends that sheet first (EmitPageTrailer). A
// PostScript request for a tray with its own paper (kSettingsTrayWithPaper)
// clears the request's paperSize and mediaType and sets its feedEdge to 2.
// 0 without a PDEV, request or model record, else 1.
int WritePjlJobSettings(PDEV* pdev, DeviceSettings* request, BOOL forced);

// Reads the model description's command for a paper source ("PDLCommands/PS",
// "PCL5" or "PCLXL" by the printer language, key "PaperSource/<n>") into
// buffer (size bytes, terminated). 1 when a non-empty command was read; 0 for
// another request or language, a missing or empty value, or a buffer too small
// for the whole command (buffer then holds an empty text).
int GetPdlCommand(HANDLE printer, DWORD request, int sourceNumber, WORD pdlKind, char* buffer, DWORD size);

// The feed-direction byte of a paper: that of the first paper row with the id
// whose feed direction is the page's current one, else of the last row with
// the id, else 0.
DWORD LookupPaperAttribute(const PDEV* pdev, DWORD paperId);

// Asks for the PostScript halftone screen of the device mode in the request
// when the job sends its own screen (the "Halftone" setting is not the
// printer's, the frequency is above 0 and the angle 0 or more), and forgets
// that the screen was sent, so that it goes out again. PostScript only.
void AddHalftoneScreen(PDEV* pdev, DeviceSettings* request);

// The settings last sent, and forgetting them (document start and end). The
// PDEV also keeps the job's staple position (settingsWord, from the device
// mode when the job's settings are built).
DeviceSettings CurrentDeviceSettings(const PDEV* pdev);
void ClearDeviceSettings(PDEV* pdev);

// How many printer resets (PCL "ESC E") the device settings have written in
// this device context. A writer that keeps a macro, soft font or pattern in the
// printer's memory sends it again when this count moved since it sent it.
DWORD DeviceSettingsResets(const PDEV* pdev);
