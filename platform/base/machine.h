// The stand-in machine: everything Windows keeps on a machine lives under one
// root folder (drive C:, the registry and spooler database, per-user folders).
// An environment variable names the root, so every test can have a fresh one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// ZEL_MACHINE_ROOT, else "$XDG_DATA_HOME/zel-machine" (or ~/.local/share/zel-machine).
std::filesystem::path MachineRoot();
// Switches the process to another root (tests); stores reopen on next use.
void SetMachineRoot(const std::filesystem::path& root);
// Creates the folders every machine has (C:\Windows, the temp, driver and user folders).
void EnsureMachineFolders();
// Bumped on every root or user switch so caches tied to the machine can drop their state.
unsigned MachineGeneration();

// The current user (HKCU, application data, per-user device modes): ZEL_USER, else "User".
std::string CurrentUser();
void SetCurrentUser(std::string user);

enum class UiLanguage { Japanese, English };
// Language of the string tables for every module of the process: ZEL_LANGUAGE "en" or "ja".
UiLanguage CurrentUiLanguage();
void SetUiLanguage(UiLanguage language);

// Host folder of a drive letter: C: is the root's drive_c, Z: is the host's "/".
std::optional<std::filesystem::path> DriveFolder(char driveLetter);

// Maps a Windows path (UTF-8; drive letters, backslashes or slashes; relative to the
// current folder) onto the host, matching each existing component without regard to
// case as Windows does. A path that starts with "/" is taken as a host path.
// Returns nothing for a path that cannot be mapped (unknown drive, UNC).
std::optional<std::filesystem::path> HostPathFromWindows(std::string_view windowsPathUtf8);
// The Windows form (UTF-8) of a host path: under drive_c it is "C:\...", else "Z:\...".
std::string WindowsPathFromHost(const std::filesystem::path& hostPath);

// Windows folders of the machine, in Windows form (UTF-8, no trailing backslash).
std::string WindowsDirectory();        // C:\Windows
std::string SystemDirectory();         // C:\Windows\System32
std::string PrinterDriverDirectory();  // C:\Windows\System32\spool\drivers\x64\3
std::string UserProfileDirectory();    // C:\Users\<user>
std::string AppDataDirectory();        // C:\Users\<user>\AppData\Roaming
std::string TempDirectory();           // C:\Users\<user>\AppData\Local\Temp

}  // namespace platform
