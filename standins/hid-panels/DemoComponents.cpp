#include "standins/hid-panels/DemoComponents.h"

#include "app/main/ProgramComponents.h"
#include "standins/hid-panels/VirtualDeviceArrivals.h"

DravikComponents DemoComponents(CVirtualHidDriver& hid) {
    DravikComponents components = ProgramComponents(hid);
    for (std::unique_ptr<IHidPanel>& panel : components.panels)
        panel = std::make_unique<CVirtualDeviceArrivals>(std::move(panel), hid.DevicePaths());
    return components;
}
