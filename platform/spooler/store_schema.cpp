#include "platform/spooler/store_schema.h"

#include "platform/base/codepage.h"
#include "platform/base/machine_db.h"

namespace platform::spooler {
namespace {

// Printers keep AUTOINCREMENT ids, so a handle to a deleted printer never comes to
// name a newer one. Data values keep an explicit order (seq): enumeration is by
// index in the order values were first stored, as on Windows.
[[maybe_unused]] const bool kSchemaRegistered = (db::RegisterSchema("spooler", R"sql(
CREATE TABLE IF NOT EXISTS spl_drivers(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name_key TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL,
  environment TEXT NOT NULL,
  version INTEGER NOT NULL,
  driver_path TEXT NOT NULL,
  data_file TEXT NOT NULL,
  config_file TEXT NOT NULL,
  help_file TEXT NOT NULL,
  dependent_files BLOB NOT NULL,
  monitor_name TEXT NOT NULL,
  default_datatype TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS spl_printers(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name_key TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL,
  share_key TEXT NOT NULL,
  share_name TEXT NOT NULL,
  port TEXT NOT NULL,
  driver TEXT NOT NULL,
  comment TEXT NOT NULL,
  location TEXT NOT NULL,
  sep_file TEXT NOT NULL,
  print_processor TEXT NOT NULL,
  datatype TEXT NOT NULL,
  parameters TEXT NOT NULL,
  attributes INTEGER NOT NULL,
  priority INTEGER NOT NULL,
  default_priority INTEGER NOT NULL,
  start_time INTEGER NOT NULL,
  until_time INTEGER NOT NULL,
  status INTEGER NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS spl_printers_share ON spl_printers(share_key) WHERE share_key <> '';
CREATE TABLE IF NOT EXISTS spl_connections(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  user TEXT NOT NULL,
  name_key TEXT NOT NULL,
  name TEXT NOT NULL,
  printer_id INTEGER NOT NULL REFERENCES spl_printers(id) ON DELETE CASCADE,
  UNIQUE(user, name_key));
CREATE TABLE IF NOT EXISTS spl_devmodes(
  printer_id INTEGER NOT NULL REFERENCES spl_printers(id) ON DELETE CASCADE,
  user TEXT NOT NULL,
  devmode BLOB NOT NULL,
  PRIMARY KEY(printer_id, user));
CREATE TABLE IF NOT EXISTS spl_printer_data(
  printer_id INTEGER NOT NULL REFERENCES spl_printers(id) ON DELETE CASCADE,
  name_key BLOB NOT NULL,
  name BLOB NOT NULL,
  seq INTEGER NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(printer_id, name_key));
CREATE UNIQUE INDEX IF NOT EXISTS spl_printer_data_order ON spl_printer_data(printer_id, seq);
CREATE TABLE IF NOT EXISTS spl_access(
  printer_id INTEGER NOT NULL REFERENCES spl_printers(id) ON DELETE CASCADE,
  user TEXT NOT NULL,
  full_access INTEGER NOT NULL,
  PRIMARY KEY(printer_id, user));
CREATE TABLE IF NOT EXISTS spl_driver_hardware_ids(
  name_key TEXT PRIMARY KEY,
  hardware_id TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS spl_printer_setup(
  printer_id INTEGER PRIMARY KEY REFERENCES spl_printers(id) ON DELETE CASCADE,
  adder_pid INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS spl_printer_setup_owners(
  printer_id INTEGER PRIMARY KEY REFERENCES spl_printers(id) ON DELETE CASCADE,
  started INTEGER NOT NULL);
)sql"),
                                                 true);

}  // namespace

std::string StoredText(std::u16string_view text) { return Utf8FromUtf16(text); }

std::u16string TextFromStored(std::string_view text) { return Utf16FromUtf8(text); }

std::string NameKey(std::u16string_view name) { return Utf8FromUtf16(FoldCase(name)); }

std::vector<BYTE> Utf16Bytes(std::u16string_view text) {
  std::vector<BYTE> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  return bytes;
}

std::u16string Utf16FromBytes(const BYTE* bytes, size_t size) {
  std::u16string text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
  return text;
}

std::vector<BYTE> DataNameKey(std::u16string_view name) { return Utf16Bytes(FoldCase(name)); }

}  // namespace platform::spooler
