#include "bench/GaugeRenderBench.h"

#include "bench/BenchTable.h"
#include "bench/Sampler.h"
#include "pages/gauge/render/CRenderSurface.h"
#include "pages/gauge/model/GaugeRenderer.h"
#include "pages/gauge/expression/GaugeVariables.h"

#include <windows.h>

#include <objbase.h>

#include <string>

namespace {

constexpr int kFramesPerSample = 200;
constexpr const wchar_t* kBuiltInImages = L"C:\\Program Files\\Harmel\\Nuvex\\1024";

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder;
}

// The built-in gauge reads its images from where the display-device software keeps them; the
// build leaves them in "1024" beside the programs. Files already there are kept.
void InstallBuiltInImages() {
    const std::wstring source = ProgramFolder() + L"1024\\";
    std::wstring partial;
    for (const wchar_t* p = kBuiltInImages; *p != L'\0'; ++p) {
        if (*p == L'\\' && !partial.empty() && partial.back() != L':')
            CreateDirectoryW(partial.c_str(), nullptr);
        partial += *p;
    }
    CreateDirectoryW(partial.c_str(), nullptr);
    for (const wchar_t* name : {L"Airspeed_Background.bmp", L"Airspeed_TAS.bmp",
                                L"Airspeed_INHG.bmp", L"Airspeed_Needle.bmp", L"Airspeed_Knob.bmp"})
        CopyFileW((source + name).c_str(), (partial + L"\\" + name).c_str(), TRUE);
}

Timing Microseconds(Timing nanoseconds) {
    return {nanoseconds.median / 1000.0, nanoseconds.minimum / 1000.0};
}

// Frames as the render thread draws them, with values that move every frame, so each frame
// turns and shifts its elements anew.
Timing MeasureFrames(const Sampler& sampler, CGaugeRenderer& renderer, GaugeVariables& store,
                     CRenderSurface& surface) {
    int frame = 0;
    return Microseconds(sampler.Measure(
        [&] {
            for (int i = 0; i < kFramesPerSample; ++i, ++frame) {
                for (float& value : store.ReceivedValues())
                    value = static_cast<float>(frame % 100) * 3.0f;
                store.CopyReceivedToCurrent();
                store.SetValue(L'G', L"Var1", L"", static_cast<float>(frame % 61 - 30));
                auto selected = surface.SelectSection();
                renderer.Render(surface.DeviceContext());
            }
        },
        kFramesPerSample));
}

} // namespace

void AddGaugeRenderRows(BenchTable& table, const Sampler& sampler) {
    if (FAILED(CoInitialize(nullptr)))
        return;
    CSimConnectLibrary noSimulator(L"DravikBench-NoSimulator.dll");
    CRenderSurface surface;
    const Timing publish = Microseconds(sampler.Measure(
        [&] {
            for (int i = 0; i < kFramesPerSample; ++i)
                surface.PublishFrame();
        },
        kFramesPerSample));
    const char* floorName = "copying one image into the send buffer";

    InstallBuiltInImages();
    {
        GaugeVariables store(noSimulator);
        CGaugeRenderer builtIn(noSimulator);
        builtIn.LoadDebugGauge(store);
        table.Add(
            {"frame: built-in gauge (" + std::to_string(builtIn.Elements().size()) + " elements)",
             "us/frame", MeasureFrames(sampler, builtIn, store, surface), publish, floorName});
    }
    {
        GaugeVariables store(noSimulator);
        CGaugeRenderer cluster(noSimulator);
        const std::wstring path =
            ProgramFolder() + L"samples\\gauges\\EngineCluster\\EngineCluster.xml";
        if (cluster.LoadFromFile(store, path.c_str()))
            table.Add({"frame: sample engine cluster (" +
                           std::to_string(cluster.Elements().size()) + " elements)",
                       "us/frame", MeasureFrames(sampler, cluster, store, surface), publish,
                       floorName});
    }
    CoUninitialize();
}
