#pragma once
// Gauge pages as the program runs them: made by the gauge page factory, initialised from a
// "Gauge" element, fed by the stand-in simulator through the program's simulator binding, and
// shown on the stand-in service's instrument panels through the real library over the pipe. The
// rig is the pages' host: refreshes go through the display-device router, and assignments are
// kept per serial number in an assignment file of the rig's own.

#include "app/display/DisplayDeviceRouter.h"
#include "app/display/GaugeAssignments.h"
#include "common/UniqueHandle.h"
#include "pages/gauge/Page_VEXA_Gauge.h"
#include "standins/nuvex-service/StandinService.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class CGaugePageRig : public IPageHost {
public:
    // The service announces an instrument panel per serial number; a serial starting with "JOY"
    // is a joystick display. `assignmentFile` defaults to a fresh file of the rig.
    explicit CGaugePageRig(const std::vector<std::wstring>& serials,
                           std::optional<std::filesystem::path> assignmentFile = std::nullopt);
    ~CGaugePageRig() override;
    CGaugePageRig(const CGaugePageRig&) = delete;
    CGaugePageRig& operator=(const CGaugePageRig&) = delete;

    // Writes a file into the rig's scratch folder and returns its full path.
    std::filesystem::path WriteFile(const std::wstring& name, const std::string& content) const;
    // A page with the next id, initialised with the root element of `gaugeXml`.
    CPage_VEXA_Gauge& AddPage(const std::string& gaugeXml);
    // Starts the service and binds the library; true once every device was offered the pages.
    bool Start();
    // Hands the simulator's queued messages to the pages, as the application does.
    void Dispatch();

    CStandinService& Service() { return m_service; }
    CGaugeAssignments& Assignments() { return m_assignments; }
    const std::filesystem::path& AssignmentFile() const { return m_assignmentFile; }
    // The image index 0 of the page on the device, empty when it has none.
    std::vector<BYTE> ShownImage(const std::wstring& serial, DWORD page) const;
    // Waits (bounded) until the device's page shows exactly `image`.
    bool WaitForImage(const std::wstring& serial, DWORD page, const std::vector<BYTE>& image) const;

    void RefreshPage(IPage* page) override;
    std::wstring GetAssignedGauge(NuvexDevice device) override;
    void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) override;

private:
    static void CALLBACK DispatchToPages(simconnect::Recv* message, DWORD size, void* context);

    std::filesystem::path m_folder;
    std::filesystem::path m_assignmentFile;
    CStandinService m_service;
    CNuvexLibrary m_nuvex;
    NuvexEntryPoints m_savedEntryPoints;
    CDisplayDeviceRouter m_router;
    CGaugeAssignments m_assignments;
    PageMap m_pages;
    UniqueHandle m_simulatorMessages;
    bool m_started = false;
};

// The gauge a page shows, drawn by a renderer of the test's own frame after frame, as the page
// draws it: nothing is cleared between frames.
class CReferenceGauge {
public:
    CReferenceGauge();
    CGaugeRenderer& Renderer() { return m_renderer; }
    GaugeVariables& Store() { return m_store; }
    // Draws one frame with the store's current values and returns the whole image.
    std::vector<BYTE> Draw();

private:
    CSimConnectLibrary m_noSimulator;
    GaugeVariables m_store;
    CGaugeRenderer m_renderer;
    CRenderSurface m_surface;
};

// Full path of a file beside the test program.
std::wstring ProgramFolderFile(const wchar_t* name);
