#include "pages/joystick/OrvikPageFactories.h"

#include "pages/joystick/Page_Orvik_Adf.h"
#include "pages/joystick/Page_Orvik_Autopilot.h"
#include "pages/joystick/Page_Orvik_Com.h"
#include "pages/joystick/Page_Orvik_Dme.h"
#include "pages/joystick/Page_Orvik_VorHdg.h"
#include "pages/joystick/Page_Orvik_Xpndr.h"

#include <new>

namespace {

template <typename Page> IPage* Create(const PageArguments& arguments) {
    return new (std::nothrow) Page(arguments.pageId, arguments.owner, arguments.className);
}

IPage* CreateCom(const PageArguments& arguments) {
    return new (std::nothrow)
        CPage_Orvik_Com(arguments.pageId, arguments.owner, arguments.className, arguments.radio1);
}

} // namespace

void AddOrvikPageFactories(CPageFactories& factories) {
    factories.Set(PageKind::OrvikComNav, CreateCom);
    factories.Set(PageKind::OrvikAdf, Create<CPage_Orvik_Adf>);
    factories.Set(PageKind::OrvikDme, Create<CPage_Orvik_Dme>);
    factories.Set(PageKind::OrvikXpndr, Create<CPage_Orvik_Xpndr>);
    factories.Set(PageKind::OrvikAutopilot, Create<CPage_Orvik_Autopilot>);
    factories.Set(PageKind::OrvikVorHdg, Create<CPage_Orvik_VorHdg>);
}
