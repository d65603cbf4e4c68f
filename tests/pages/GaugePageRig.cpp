#include "tests/pages/GaugePageRig.h"

#include "app/simconnect/SimConnectLibrary.h"
#include "app/xml/XmlElement.h"
#include "pages/gauge/GaugePageFactory.h"
#include "tests/pages/OrvikPageRig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace fs = std::filesystem;

std::wstring ProgramFolderFile(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return (fs::path(path).parent_path() / name).wstring();
}

namespace {

fs::path ScratchFolder() {
    static int rigs = 0;
    const fs::path folder =
        fs::temp_directory_path() /
        (L"gauge-page-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++rigs));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

} // namespace

CGaugePageRig::CGaugePageRig(const std::vector<std::wstring>& serials,
                             std::optional<fs::path> assignmentFile)
    : m_folder(ScratchFolder()),
      m_assignmentFile(assignmentFile ? *assignmentFile : m_folder / L"ZanFlightVexa.xml"),
      m_nuvex(ProgramFolderFile(L"Nuvex.dll").c_str()),
      m_savedEntryPoints(GetNuvexLibrary().EntryPoints()), m_router(GetNuvexLibrary()),
      m_assignments(m_assignmentFile.wstring()),
      m_simulatorMessages(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    EXPECT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    EXPECT_TRUE(Simulator().IsLoaded());
    EXPECT_TRUE(m_nuvex.IsLoaded());
    GetNuvexLibrary().InjectEntryPoints(m_nuvex.EntryPoints());
    for (const std::wstring& serial : serials)
        m_service.AddDevice(serial.rfind(L"JOY", 0) == 0 ? StandinDeviceConfig::Joystick(serial)
                                                         : StandinDeviceConfig::Panel(serial));
    m_assignments.Load();
    EXPECT_EQ(
        GetSimConnectLibrary().Open("Harmel FSX Plugin", nullptr, 0, m_simulatorMessages.get(), 0),
        S_OK);
}

CGaugePageRig::~CGaugePageRig() {
    for (auto& [id, page] : m_pages)
        page->OnSimStop();
    if (m_started)
        m_router.FinalizeNuvex();
    EXPECT_TRUE(m_service.Faults().empty());
    m_service.Stop();
    m_pages.clear();
    GetNuvexLibrary().InjectEntryPoints(m_savedEntryPoints);
    GetSimConnectLibrary().Close();
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
    CoUninitialize();
}

fs::path CGaugePageRig::WriteFile(const std::wstring& name, const std::string& content) const {
    const fs::path file = m_folder / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
}

CPage_VEXA_Gauge& CGaugePageRig::AddPage(const std::string& gaugeXml) {
    const DWORD pageId = static_cast<DWORD>(m_pages.size() + 1);
    const fs::path file = WriteFile(L"page" + std::to_wstring(pageId) + L".xml", gaugeXml);
    std::unique_ptr<CXmlElement> root;
    EXPECT_TRUE(ParseXmlFile(file.c_str(), root));

    CPageFactories factories;
    AddGaugePageFactory(factories);
    auto* page = static_cast<CPage_VEXA_Gauge*>(
        factories.Get(PageKind::Gauge)({pageId, this, nullptr, false}));
    const PageConfiguration configuration{root.get()};
    page->OnSimInitialize(&configuration);
    m_pages.emplace(pageId, std::unique_ptr<IPage>(page));
    return *page;
}

bool CGaugePageRig::Start() {
    if (!m_service.Start() || !m_router.InitializeNuvex(m_pages))
        return false;
    m_started = true;
    return m_service.WaitForArrivals();
}

void CGaugePageRig::Dispatch() {
    GetSimConnectLibrary().CallDispatch(&DispatchToPages, this);
}

void CALLBACK CGaugePageRig::DispatchToPages(simconnect::Recv* message, DWORD size, void* context) {
    if (message->dwID != simconnect::RecvIdSimObjectData ||
        size < simconnect::kObjectDataHeaderSize)
        return;
    auto* data = reinterpret_cast<simconnect::RecvSimObjectData*>(message);
    auto& pages = static_cast<CGaugePageRig*>(context)->m_pages;
    const auto page = pages.find(data->dwRequestID);
    if (page != pages.end())
        page->second->OnSimRecieveData(&data->dwData, size - simconnect::kObjectDataHeaderSize);
}

std::vector<BYTE> CGaugePageRig::ShownImage(const std::wstring& serial, DWORD page) const {
    const std::optional<StandinDeviceState> device = m_service.Device(serial);
    if (!device || device->pages.count(page) == 0)
        return {};
    const auto& images = device->pages.at(page).images;
    const auto image = images.find(0);
    return image == images.end() ? std::vector<BYTE>() : image->second;
}

bool CGaugePageRig::WaitForImage(const std::wstring& serial, DWORD page,
                                 const std::vector<BYTE>& image) const {
    return m_service.WaitFor([&] { return ShownImage(serial, page) == image; }, 5000);
}

void CGaugePageRig::RefreshPage(IPage* page) {
    m_router.RefreshPage(page);
}

std::wstring CGaugePageRig::GetAssignedGauge(NuvexDevice device) {
    DisplayDeviceRecord record;
    return m_router.FindDevice(device, record) ? m_assignments.Get(record.serialNumber)
                                               : std::wstring();
}

void CGaugePageRig::SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) {
    DisplayDeviceRecord record;
    if (m_router.FindDevice(device, record))
        m_assignments.Set(record.serialNumber, gaugeName);
}

CReferenceGauge::CReferenceGauge()
    : m_noSimulator(L"NoSuchSimConnect.dll"), m_store(m_noSimulator), m_renderer(m_noSimulator) {}

std::vector<BYTE> CReferenceGauge::Draw() {
    {
        const CRenderSurface::Selection selected = m_surface.SelectSection();
        m_renderer.Render(m_surface.DeviceContext());
    }
    return std::vector<BYTE>(m_surface.Pixels(), m_surface.Pixels() + CRenderSurface::ImageBytes);
}
