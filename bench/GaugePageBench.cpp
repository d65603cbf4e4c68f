#include "bench/GaugePageBench.h"

#include "bench/BenchTable.h"
#include "bench/Sampler.h"
#include "app/display/DisplayDeviceRouter.h"
#include "app/display/NuvexLibrary.h"
#include "app/xml/XmlElement.h"
#include "pages/gauge/Page_VEXA_Gauge.h"
#include "standins/nuvex-service/StandinService.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSendSamples = 7;
constexpr int kSendsPerSample = 5;
constexpr int kIdleIntervals = 3;
constexpr DWORD kIdleIntervalMs = 2000;

std::wstring ProgramFolderFile(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path);
    file.erase(file.find_last_of(L'\\') + 1);
    return file + name;
}

// The pages' host: refreshes go to the router; no panel has an assignment.
class BenchHost : public IPageHost {
public:
    explicit BenchHost(CDisplayDeviceRouter& router) : m_router(router) {}
    void RefreshPage(IPage* page) override { m_router.RefreshPage(page); }
    std::wstring GetAssignedGauge(NuvexDevice) override { return {}; }
    void SetAssignedGauge(NuvexDevice, const std::wstring&) override {}

private:
    CDisplayDeviceRouter& m_router;
};

void WINAPI RememberDevice(NuvexDevice device, void* context) {
    *static_cast<NuvexDevice*>(context) = device;
}

// A gauge page made from a "Gauge" element with this "Timeout" (none when null).
std::unique_ptr<CPage_VEXA_Gauge> MakePage(DWORD pageId, IPageHost& host, const wchar_t* timeout) {
    CXmlElement element;
    element.name = L"Gauge";
    if (timeout)
        element.attributes[L"Timeout"] = timeout;
    auto page = std::make_unique<CPage_VEXA_Gauge>(pageId, &host);
    const PageConfiguration configuration{&element};
    page->OnSimInitialize(&configuration);
    return page;
}

double ProcessCpuMilliseconds() {
    FILETIME creation;
    FILETIME exit;
    FILETIME kernel;
    FILETIME user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

// Milliseconds of the process's CPU per second of waiting, over a few intervals.
Timing IdleCpu() {
    std::vector<double> perSecond;
    for (int i = 0; i < kIdleIntervals; ++i) {
        const double before = ProcessCpuMilliseconds();
        Sleep(kIdleIntervalMs);
        perSecond.push_back((ProcessCpuMilliseconds() - before) * 1000.0 / kIdleIntervalMs);
    }
    std::sort(perSecond.begin(), perSecond.end());
    return {perSecond[perSecond.size() / 2], perSecond.front()};
}

Timing Milliseconds(Timing nanoseconds) {
    return {nanoseconds.median / 1e6, nanoseconds.minimum / 1e6};
}

} // namespace

void AddGaugePageRows(BenchTable& table) {
    if (FAILED(CoInitialize(nullptr)))
        return;
    CNuvexLibrary library(ProgramFolderFile(L"Nuvex.dll").c_str());
    CStandinService service;
    service.AddDevice(StandinDeviceConfig::Panel(L"BENCH-1"));
    // Keep the service's record short: it would otherwise hold every image sent.
    StandinServiceOptions options;
    options.requestRecordLimit = 16;
    if (!library.IsLoaded() || !service.Start(options)) {
        CoUninitialize();
        return;
    }
    const NuvexEntryPoints saved = GetNuvexLibrary().EntryPoints();
    GetNuvexLibrary().InjectEntryPoints(library.EntryPoints());
    {
        CDisplayDeviceRouter router(GetNuvexLibrary());
        BenchHost host(router);
        PageMap pages;
        pages.emplace(1, MakePage(1, host, nullptr));
        pages.emplace(2, MakePage(2, host, L"10"));
        NuvexDevice device = nullptr;
        if (router.InitializeNuvex(pages) && service.WaitForArrivals() &&
            SUCCEEDED(GetNuvexLibrary().Nuvex_Enumerate(RememberDevice, &device)) && device) {
            IPage& page = *pages.at(1);
            const Sampler sampler(kSendSamples);
            const Timing send = Milliseconds(sampler.Measure(
                [&] {
                    for (int i = 0; i < kSendsPerSample; ++i)
                        page.SendToDevice(device, kDeviceTypeVexa);
                },
                kSendsPerSample));
            const std::vector<BYTE> image(CRenderSurface::ImageBytes);
            const Timing librarySend = Milliseconds(sampler.Measure(
                [&] {
                    for (int i = 0; i < kSendsPerSample; ++i)
                        GetNuvexLibrary().Nuvex_SetImage(device, 1, 0, CRenderSurface::ImageBytes,
                                                         image.data());
                },
                kSendsPerSample));
            table.Add({"SendToDevice: one image to a panel over the pipe", "ms/image", send,
                       librarySend, "Nuvex_SetImage of an image in the caller's buffer"});

            const Timing withoutThread = IdleCpu();
            const char* floorName = "the same process without render threads";
            pages.at(1)->OnSimStart();
            table.Add({"idle gauge page, period 200 ms: process CPU", "ms/s", IdleCpu(),
                       withoutThread, floorName});
            pages.at(1)->OnSimStop();
            pages.at(2)->OnSimStart();
            table.Add({"idle gauge page, period 10 ms: process CPU", "ms/s", IdleCpu(),
                       withoutThread, floorName});
            pages.at(2)->OnSimStop();
        }
        router.FinalizeNuvex();
    }
    GetNuvexLibrary().InjectEntryPoints(saved);
    service.Stop();
    CoUninitialize();
}
