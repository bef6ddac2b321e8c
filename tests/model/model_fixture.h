// A fresh machine with the settings library bound by name (as the driver libraries
// bind it), and printers installed from model descriptions: the shipped ones in
// data/models or small ones written by a test.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/settings_binding.h"
#include "model/model_loader.h"
#include "model/model_record.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace modeltest {

class ModelTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs a printer from data/models/<file> and opens it with all access.
  HANDLE InstallShipped(const std::string& file, const std::string& printerName);
  // Installs a printer from a model description given as UTF-8 text (written to
  // disk in the ANSI code page); its [General] must name a ModelName of its own.
  HANDLE InstallText(const std::string& utf8Text, const std::string& printerName);

  // A record loaded with every part and feature.
  std::unique_ptr<ModelRecord> Load(HANDLE printer, DWORD filter = 0);
  std::unique_ptr<ModelRecord> Load(HANDLE printer, DWORD parts, DWORD features, DWORD filter = 0,
                                    const ModelLoaderVariant& variant = DefaultModelLoaderVariant());

  // Printer data (store kind 0).
  void SetPrinterDword(HANDLE printer, const char* section, const char* key, DWORD value);
  void SetPrinterString(HANDLE printer, const char* section, const char* key, const char* text);
  bool PrinterDword(HANDLE printer, const char* section, const char* key, DWORD& value);
  std::string PrinterString(HANDLE printer, const char* section, const char* key, DWORD* rc = nullptr);
  void DeletePrinterValue(HANDLE printer, const char* section, const char* key);

  testsupport::SettingsLibrary db;
  SettingsFunctions settings;

 private:
  HANDLE Install(const std::string& modelPath, const std::string& printerName);
  std::vector<HANDLE> opened_;
};

// A row's bytes all zero.
template <class Row>
bool AllZero(const Row& row) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&row);
  for (size_t i = 0; i < sizeof row; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

// UTF-8 of an ANSI name field (the tests write their expectations in UTF-8).
std::string Utf8(const char* ansi);

}  // namespace modeltest
