// The device settings of a job, a page and an inserted sheet (resolution,
// copies and collation, output bin, finishing, job offset, edge-to-edge
// printing, input tray, media, paper, feed edge, duplex, halftone screen) as
// printer commands: PJL SET lines followed by the PCL equivalents for PCL jobs,
// one setpagedevice dictionary for PostScript jobs. This is the record a
// request is made of and the values of its fields.
//
// The writer compares each request with the settings last sent in the job
// (PDEV::carried.jobSettings, a DeviceSettings record) and writes only what changed, so
// a setting goes out once and again only when a page or inserted sheet asks for
// another value. Every write replaces the record with the whole request, so the
// next comparison sees only what the last request named.
#pragma once

#include "platform/base/types.h"

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
