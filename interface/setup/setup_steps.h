// The steps of a printer's set-up that write its settings, each on its own so
// that a step that cannot be done leaves the others to run: apart from naming
// the driver, every write here is best effort.
#pragma once

#include <string>

#include "platform/base/types.h"

// The name the user-mode part of the driver is registered under, and where the
// spooler keeps the driver's data file for a version-2 driver.
inline constexpr char kUserModeDriverName[] = "zelumpdd1";
inline constexpr char kHostDriverFolder[] = "SystemRoot\\system32\\spool\\drivers\\w32x86\\2\\";
inline constexpr char kShellExtensionFile[] = "zelshexd5.dll";

// For a version-2 driver: printer data "Printer"/"PHD" = kHostDriverFolder and
// the file name of the driver's data file, and "SPLUserModePrinterDriver" =
// kUserModeDriverName (REG_SZ, ANSI with its NUL). False, with nothing written,
// when the printer's driver cannot be read; with write false only that check is made.
bool StoreHostDriverData(HANDLE printer, bool write = true);

// The per-machine "Local"/"DriverVersion" before this set-up changes it (empty
// when there is none).
std::string ReadStoredDriverVersion();
// This library's version text (empty when it has none).
std::string CurrentDriverVersion();
// Stores CurrentDriverVersion() as per-machine "Local"/"DriverVersion"; a library
// without a version leaves the stored text as it is.
void StoreDriverVersion();

// Copies the model description's installed memory ("Memory"/"Installed") and its
// installable options (every key of "InstallableOptions") into the printer's
// data, where they stand for the printer's own configuration from then on. With
// onlyAbsent the values the printer already has (the user's or the set-up
// program's choices) stay; true when anything was written.
bool CopyDefaultInstalledOptions(HANDLE printer, bool onlyAbsent = false);

// Loads the shell extension from the folder (a Windows path that ends in a
// backslash, or empty), registers its menu for the printer and records that in
// the printer data "Shellext3D5" = 1. An extension that cannot be loaded leaves
// everything as it was.
void RegisterShellExtensionOnce(HANDLE printer, const std::string& folder, const char* printerName);

// What only a printer's initialisation sets: "Printer"/"PDL" from the model
// description's "PDL" section, "Printer"/"Monitor" = 0, the configuration counter
// "Printer"/"Cfg" raised by one, and "Printer"/"TRQ50Compatible" from the model
// description's "General" (0 when it has none).
void StoreInitialPrinterSettings(HANDLE printer);
