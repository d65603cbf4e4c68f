#pragma once
// Where a gauge page finds its gauge file: below a root folder (the simulator's installation
// folder, the program's own folder, or none for absolute names), or inside a cabinet that is
// extracted into a new temporary folder.

#include "app/contracts/IPage.h"

#include <string>

// Reads "RootFolder", "File" and "CabFile" of the page's element. True with the gauge file's
// path; false without an element or when the archive cannot be extracted. `tempFolder` is only
// set when an archive is involved, and then the caller deletes it (DeleteFolder) after loading,
// also when the result is false.
bool FindGaugeFile(const PageConfiguration* configuration, std::wstring& gaugeFile,
                   std::wstring& tempFolder);

// The simulator's installation folder from the registry, without a closing "\"; empty when the
// key or the value is missing.
std::wstring GetFsxSetupPath();
