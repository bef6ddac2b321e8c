// Recording stand-ins for the font code of the job-stream writers, which the
// device context's set-up and release call: the device-font list builder, the
// release of the document's downloaded fonts and of its substitution table.
#pragma once

#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"

struct DeviceFontList;
struct FontSubstitutionTable;
struct DownloadedFontList;

namespace graphicstest {

struct FontListRequest {
  HANDLE printer;
  std::string printerName;
  ModelRecord* record;
  XDEVMODE* devmode;
  WORD devmodePdl;  // the device mode's _nPDL at the time of the call
};

struct FontLog {
  std::vector<FontListRequest> listRequests;
  DeviceFontList* listAnswer = nullptr;  // what LoadInstalledFonts hands back
  std::vector<FontSubstitutionTable*> substitutionsFreed;
  std::vector<DownloadedFontList*> downloadListsReleased;
};

// The log of this test; cleared by ResetFontLog.
FontLog& Fonts();
void ResetFontLog();

// Distinct addresses that stand for tables the fakes never look into.
DeviceFontList* FakeFontList(int n);
FontSubstitutionTable* FakeSubstitutionTable(int n);
DownloadedFontList* FakeDownloadList(int n);

}  // namespace graphicstest
