// The library's cache of model records: one record per printer name (names
// compared without regard to case), loaded on first request and reloaded when it
// is out of date, so that every entry point that needs the printer's model gets
// it without reading the model description again.
//
// A record handed out is never written again and never freed before the cache
// stops: a reload builds a fresh record and swaps it in under the cache lock, so
// a caller on another thread keeps reading the record it was given, whole and
// unchanged. A reload that yields the same content keeps the record it had, so
// repeated reloads cost no memory.
//
// A printer's configuration counter "Printer"/"Cfg" (printer data) is raised by
// every writer of its configuration; reload type 1 compares it with the stamp the
// record was loaded with.
#pragma once

#include "common/settings_binding.h"
#include "model/model_record.h"

// Reload types of GetModelRecord.
constexpr int kModelReloadWhenMissing = 0;  // the cached record once it has been loaded
constexpr int kModelReloadWhenChanged = 1;  // ... and reloaded when "Printer"/"Cfg" moved

// While the print server is marked unreachable (per-user "bServerDown" in the
// section of the printer's name), a loaded record is handed out as it is rather
// than reloaded from a server that does not answer. The mark is not trusted
// forever: once it has stood this long, the next request that finds the record
// out of date tries the server again.
constexpr DWORD kServerDownRecheckMilliseconds = 30000;

// Creates the cache lock; settings are the library's bound settings functions and
// must outlive the cache (null: every settings read fails). Called at library start.
void ModelCacheStart(const SettingsFunctions* settings);
// Frees every record, including the replaced ones kept for their readers, and
// deletes the lock. Called at library unload, when no other thread uses the cache.
void ModelCacheStop();

// The printer's cached record, or a new all-zero record (name empty) that the
// cache keeps for the name from now on; null when the cache is not started or no
// memory is left. Reads nothing from the settings.
ModelRecord* FindModelRecord(const char* printerName);

// With a name: forgets that printer's record, so that its next request loads
// afresh (the record itself stays readable until the cache stops). With null:
// frees every record and empties the cache, as at unload. Answers 0.
int FreeModelRecords(const char* printerName);

// The printer's model record, loaded with every part and feature, trays and bins
// filtered by the installed options, and defaults for the parts the description
// lacks; null when the name is null, the cache is not started or no memory is
// left. Out of date, and reloaded, is a record never loaded, one whose stamp is 0
// (the printer has no counter), and with type 1 one whose stamp differs from the
// counter or whose counter cannot be read. A record is never handed out unloaded:
// a printer whose server is marked down still gets its record loaded once.
ModelRecord* GetModelRecord(HANDLE printer, const char* printerName, int type);

// How long a standing server-down mark holds back reloads (tests shorten it).
void SetServerDownRecheckInterval(DWORD milliseconds);
