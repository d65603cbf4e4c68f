#include "standins/nuvex-service/StandinHost.h"

#include "standins/nuvex-service/StandinConfigFile.h"

namespace {

constexpr size_t kRequestRecordLimit = 256;

} // namespace

CStandinHost::CStandinHost(bool allowQuit)
    : m_quit(allowQuit ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr) {}

CStandinHost::~CStandinHost() {
    Stop();
}

bool CStandinHost::Start(const std::wstring& configPath, const std::wstring& outputFolder,
                         std::wstring& error) {
    std::vector<StandinDeviceConfig> devices;
    if (!CStandinConfigFile::Load(configPath, devices, error))
        return false;
    for (const StandinDeviceConfig& device : devices)
        m_service.AddDevice(device);
    if (!outputFolder.empty()) {
        CreateDirectoryW(outputFolder.c_str(), nullptr);
        m_service.SetLiveOutputFolder(outputFolder);
    }
    // A long run sends many images: keep only the latest requests.
    StandinServiceOptions options;
    options.requestRecordLimit = kRequestRecordLimit;
    if (!m_service.Start(options)) {
        error = L"cannot create the device pipe";
        return false;
    }
    m_control = std::make_unique<CStandinControlServer>(m_service, outputFolder, m_quit.get());
    if (!m_control->Start()) {
        error = L"cannot create the control pipe";
        Stop();
        return false;
    }
    return true;
}

void CStandinHost::Stop() {
    if (m_control)
        m_control->Stop();
    m_control.reset();
    m_service.Stop();
}
