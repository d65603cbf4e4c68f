#include "standins/hid-panels/VirtualDeviceArrivals.h"

CVirtualDeviceArrivals::CVirtualDeviceArrivals(std::unique_ptr<IHidPanel> panel,
                                               std::vector<std::wstring> paths)
    : m_panel(std::move(panel)), m_paths(std::move(paths)) {}

void CVirtualDeviceArrivals::OnSimInitialize(DWORD& pageCounter) {
    m_panel->OnSimInitialize(pageCounter);
    // Every path to every panel: each opens only its own kind, as with real devices.
    for (const std::wstring& path : m_paths)
        m_panel->OnDeviceArrival(path.c_str());
}
