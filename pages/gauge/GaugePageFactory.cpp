#include "pages/gauge/GaugePageFactory.h"

#include "pages/gauge/Page_VEXA_Gauge.h"

#include <new>

namespace {

IPage* CreateGaugePage(const PageArguments& arguments) {
    return new (std::nothrow) CPage_VEXA_Gauge(arguments.pageId, arguments.owner);
}

} // namespace

void AddGaugePageFactory(CPageFactories& factories) {
    factories.Set(PageKind::Gauge, CreateGaugePage);
}
