#include "app/display/DisplayDeviceRouter.h"
#include "pages/joystick/OrvikPageFactories.h"
#include "standins/nuvex-service/StandinService.h"
#include "tests/pages/OrvikPageRig.h"
#include "tests/support/TestPageHost.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::wstring ProgramFolderPath(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

} // namespace

// The pages and the router over the real library and the stand-in service: device types, the
// callbacks on the library's threads and the lines on the virtual joystick.
TEST(JoystickOverPipe, PagesShowAndFollowTheButtons) {
    ASSERT_TRUE(Simulator().IsLoaded()); // reset before any page maps its events
    CStandinService service;
    service.AddDevice(StandinDeviceConfig::Joystick(L"JOY-1"));
    ASSERT_TRUE(service.Start());

    CNuvexLibrary nuvex(ProgramFolderPath(L"Nuvex.dll").c_str());
    ASSERT_TRUE(nuvex.IsLoaded());
    const NuvexEntryPoints saved = GetNuvexLibrary().EntryPoints();
    GetNuvexLibrary().InjectEntryPoints(nuvex.EntryPoints());
    {
        CDisplayDeviceRouter router(GetNuvexLibrary());
        CTestPageHost owner([&router](IPage* page) { router.RefreshPage(page); });

        CPageFactories factories;
        AddOrvikPageFactories(factories);
        PageMap pages;
        pages.emplace(1,
                      factories.Get(PageKind::OrvikComNav)({1, &owner, L"CPage_Orvik_Com", true}));
        pages.emplace(2, factories.Get(PageKind::OrvikDme)({2, &owner, L"CPage_Orvik_Dme", false}));
        for (auto& [id, page] : pages)
            page->OnSimInitialize(nullptr);

        ASSERT_TRUE(router.InitializeNuvex(pages));
        ASSERT_TRUE(service.WaitForArrivals());
        EXPECT_TRUE(service.WaitForLine(L"JOY-1", 0, L"  COM1    NAV1  "));
        EXPECT_TRUE(service.WaitForLine(L"JOY-1", 1, L"[100.00] 100.00 "));

        EXPECT_EQ(service.PressSoftButtons(L"JOY-1", 4), S_OK);
        EXPECT_TRUE(service.WaitForLine(L"JOY-1", 2, L">100.00  100.00 "));

        EXPECT_EQ(service.ChangePage(L"JOY-1", 2), S_OK);
        EXPECT_TRUE(service.WaitForLine(L"JOY-1", 0, L" DME     [R1]"));
        EXPECT_EQ(service.PressSoftButtons(L"JOY-1", 5), S_OK);
        EXPECT_TRUE(service.WaitForLine(L"JOY-1", 0, L" DME     [R2]"));

        router.FinalizeNuvex();
        EXPECT_TRUE(service.Faults().empty());
    }
    GetNuvexLibrary().InjectEntryPoints(saved);
}
