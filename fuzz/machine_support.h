// A stand-in machine for the fuzz targets that need printers: made once per
// process in a root of its own (so targets running at once never share a
// database) and removed when the process ends. Printers come from the shipped
// model descriptions with their language and variant in the printer data, as
// the tests install them.
#pragma once

#include <string>

#include "common/settings_binding.h"
#include "platform/base/types.h"

namespace fuzzmachine {

// Makes the machine on the first call: root, user, code page 932, folders, the
// settings library bound from the driver folder, and the driver's libraries and
// model modules loaded for good. Aborts when it cannot.
void Start();

// Installs data/models/<file> as a printer of that name and opens it with all
// access (the handle stays open for the process). Aborts on failure.
HANDLE InstallPrinter(const std::string& modelFile, const std::string& name, WORD pdl, DWORD variant);

// The bound settings library's functions.
const SettingsFunctions& Settings();

// The driver folder (Windows path, ANSI) and a deliverable in it.
std::string DriverFolder();
std::string Deliverable(const std::string& file);

}  // namespace fuzzmachine
