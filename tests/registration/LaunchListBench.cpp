// Prints how rewriting a launch list written on one line scales with its size: the median times
// of reading it into the model and of a whole install, each as a ratio to the floor of copying
// the same file through the same text reader and writer, measured in the same run. A rewrite in
// linear time keeps the ratios flat from one size to the next. Not a test: run it by hand.

#include "registration/AddonRegistrar.h"
#include "registration/LaunchFile.h"
#include "registration/TextFile.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string OneLineLaunchList(size_t size) {
    std::string text = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><SimBase.Document "
                       "Type=\"Launch\" version=\"1,0\">";
    while (text.size() < size) {
        const std::string number = std::to_string(text.size());
        text += "<Launch.Addon><Name>Add-on " + number +
                "</Name><Disabled>False</Disabled><Path>C:\\Add-ons\\" + number +
                "\\Start.exe</Path></Launch.Addon>";
    }
    return text + "</SimBase.Document>";
}

double Seconds(const std::function<void()>& prepare, const std::function<void()>& measured) {
    std::vector<double> runs;
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    for (int run = 0; run < 5; ++run) {
        prepare();
        LARGE_INTEGER start = {};
        LARGE_INTEGER end = {};
        QueryPerformanceCounter(&start);
        measured();
        QueryPerformanceCounter(&end);
        runs.push_back(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main() {
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::filesystem::path folder =
        std::filesystem::path(temp) / (L"launch-bench-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::wstring launchList = (folder / L"exe.xml").wstring();
    const std::wstring copy = (folder / L"copy.xml").wstring();
    const CAddonRegistrar registrar(folder.wstring(), L"", L"C:\\Bench\\Dravik.exe");

    std::printf("%8s %10s %10s %10s %10s %12s\n", "MB", "floor ms", "read ms", "read/floor",
                "install ms", "install/flr");
    for (size_t size : {450000u, 900000u, 1800000u, 3600000u}) {
        const std::string text = OneLineLaunchList(size);
        const auto writeOriginal = [&] { WriteTextFile(launchList, text, true); };
        writeOriginal();
        const double floor = Seconds(writeOriginal, [&] {
            std::string bytes;
            ReadTextFile(launchList, bytes);
            WriteTextFile(copy, bytes, true);
        });
        const double read = Seconds(writeOriginal, [&] {
            LaunchFile file;
            ReadLaunchFile(launchList, file);
        });
        const double install = Seconds(writeOriginal, [&] { registrar.Install(); });
        std::printf("%8.2f %10.1f %10.1f %10.2f %10.1f %12.2f\n", double(text.size()) / 1e6,
                    floor * 1e3, read * 1e3, read / floor, install * 1e3, install / floor);
    }
    std::filesystem::remove_all(folder);
    CoUninitialize();
    return 0;
}
