// The driver's temporary folder: the user's temp folder, made sure to exist and
// recorded per user, so that code running without the user's environment (the
// graphics library inside the spooler) finds the same place.
#pragma once

#include <string>

// Creates every folder of a Windows path, from the first level under its root to
// the last component, one after the other; folders that exist, or cannot be
// made, are passed over (a later level then fails the same way). Separators are
// found as characters, never as the trail byte of a double-byte character.
void CreateFolderPath(const std::string& path);

// Creates the user's temp folder (GetTempPathA) with every level above it and
// stores its path, as GetTempPathA gives it, as per-user "GeneralInformation"/
// "TempDir". Answers the path; empty when there is no temp path (nothing is
// stored then).
std::string CreateTempFolder();
