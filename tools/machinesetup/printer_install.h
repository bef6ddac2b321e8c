// Sets up a printer on the stand-in machine the way an installer does: the model
// description becomes the data file of a driver entry of its own, and a printer
// is added with that driver. Used by the zelmachine command and by the tests.
#pragma once

#include <filesystem>
#include <string>

namespace machinesetup {

struct PrinterSpec {
  std::string printerName;                 // ANSI
  std::filesystem::path modelDescription;  // host path of the model description (ini)
  std::string driverFolder;                // Windows path of the folder that holds the deliverables
  std::string port = "FILE:";
  // Windows path of the graphics library the driver entry names; empty: the
  // driver folder's zelkerd5.dll.
  std::string graphicsLibrary;
  // The driver's hardware id (ANSI); empty: the driver is added without one.
  std::string hardwareId;
};

// The driver name a model description installs under: its [General] "ModelName".
std::string DriverNameOf(const std::filesystem::path& modelDescription);

// Copies the model description into the spooler's driver folder, adds its driver
// entry (when missing) and the printer. Answers false with a message on failure.
bool InstallPrinter(const PrinterSpec& spec, std::string& error);

// The Windows path of the folder that holds the built deliverables.
std::string BuiltDriverFolder();

}  // namespace machinesetup
