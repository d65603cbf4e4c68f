// GaugeCabinet: packs a gauge's folder into a cabinet archive, the form in which gauges are
// handed out with their images.
//
//   GaugeCabinet.exe <gauge folder> <cabinet file>
//
// Every file below the folder goes into the archive under its path relative to the folder.

#include "tools/gauge-cabinet/CabinetWriter.h"

#include "common/UniqueHandle.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every file below `folder`, named relative to `root`.
void CollectFiles(const std::wstring& root, const std::wstring& relative,
                  std::vector<CabinetSource>& sources) {
    WIN32_FIND_DATAW found = {};
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    const UniqueFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring inner = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectFiles(root, inner, sources);
        } else {
            std::string stored(inner.size(), '\0');
            WideCharToMultiByte(CP_ACP, 0, inner.c_str(), static_cast<int>(inner.size()),
                                stored.data(), static_cast<int>(stored.size()), nullptr, nullptr);
            sources.push_back({root + L"\\" + inner, stored});
        }
    } while (FindNextFileW(search.get(), &found));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: GaugeCabinet <gauge folder> <cabinet file>\n");
        return 2;
    }
    std::vector<CabinetSource> sources;
    CollectFiles(argv[1], L"", sources);
    if (sources.empty()) {
        std::fprintf(stderr, "GaugeCabinet: no files below %ls\n", argv[1]);
        return 1;
    }
    std::wstring error;
    if (!WriteCabinet(argv[2], sources, error)) {
        std::fprintf(stderr, "GaugeCabinet: %ls\n", error.c_str());
        return 1;
    }
    std::printf("GaugeCabinet: %u files into %ls\n", static_cast<unsigned>(sources.size()),
                argv[2]);
    return 0;
}
