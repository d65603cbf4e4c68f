#pragma once
// A page's host for tests that drive pages without the application: refreshes go to the
// function the test gives (nowhere without one), gauge assignments are kept per device.

#include "app/contracts/IPageHost.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

class CTestPageHost : public IPageHost {
public:
    using Refresh = std::function<void(IPage* page)>;

    explicit CTestPageHost(Refresh refresh = nullptr) : m_refresh(std::move(refresh)) {}

    void RefreshPage(IPage* page) override;
    std::wstring GetAssignedGauge(NuvexDevice device) override;
    void SetAssignedGauge(NuvexDevice device, const std::wstring& gaugeName) override;

private:
    const Refresh m_refresh;
    std::mutex m_lock;
    std::map<NuvexDevice, std::wstring> m_assignments;
};
