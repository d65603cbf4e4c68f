#pragma once
// A fresh folder below the temporary folder for one file test, removed with everything in it
// (read-only files too) when the test ends.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

class CCabinetTestFolder {
public:
    explicit CCabinetTestFolder(const std::wstring& prefix);
    ~CCabinetTestFolder();
    CCabinetTestFolder(const CCabinetTestFolder&) = delete;
    CCabinetTestFolder& operator=(const CCabinetTestFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Removes `path` with everything below it, clearing read-only attributes first.
    static void RemoveTree(const std::filesystem::path& path);
    // Every regular file below `folder`, relative to it, sorted.
    static std::vector<std::wstring> FilesBelow(const std::filesystem::path& folder);
    static std::string ReadAll(const std::filesystem::path& file);

private:
    std::filesystem::path m_path;
};
