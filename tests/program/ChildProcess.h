#pragma once
// Starts a program of the build, waits (bounded) for it to end and returns its exit code.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Folder of the running test executable, which is the build's output folder.
std::wstring BuildOutputFolder();

// Runs `program` with `arguments` in `workingFolder`, with `environment` added to this
// process's variables; its standard output and error go to `outputFile` when one is named.
// Empty when the program cannot start or does not end within `timeoutMs`.
std::optional<DWORD>
RunProgram(const std::wstring& program, const std::wstring& arguments,
           const std::wstring& workingFolder,
           const std::vector<std::pair<std::wstring, std::wstring>>& environment, DWORD timeoutMs,
           const std::wstring& outputFile = {});
