#pragma once
// The temporary folders a gauge archive is extracted into: named after a new GUID below the
// user's temporary folder, and deleted with everything in them once the gauge is in memory.

#include <string>

// Names a new folder "<temp>{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (at most 260 characters) and
// creates the folders above it that are missing; the folder itself is left to the extraction.
// False when the temporary folder or a GUID is not available.
bool CreateTempFolderName(std::wstring& folderName);

// Deletes `folder` with all its files and subfolders, read-only files included. False at the
// first entry that cannot be deleted, or when the folder itself cannot be removed.
bool DeleteFolder(const std::wstring& folder);
