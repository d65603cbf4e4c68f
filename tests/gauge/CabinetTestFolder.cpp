#include "tests/gauge/CabinetTestFolder.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

CCabinetTestFolder::CCabinetTestFolder(const std::wstring& prefix) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    m_path = fs::path(temp) / (prefix + L"-" + std::to_wstring(GetCurrentProcessId()));
    RemoveTree(m_path);
    fs::create_directories(m_path);
}

CCabinetTestFolder::~CCabinetTestFolder() {
    RemoveTree(m_path);
}

void CCabinetTestFolder::RemoveTree(const fs::path& path) {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(path, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path, ignored);
}

std::vector<std::wstring> CCabinetTestFolder::FilesBelow(const fs::path& folder) {
    std::vector<std::wstring> files;
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(folder, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_regular_file())
            files.push_back(fs::relative(it->path(), folder).wstring());
    std::sort(files.begin(), files.end());
    return files;
}

std::string CCabinetTestFolder::ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
