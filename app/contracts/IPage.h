#pragma once
// The contract of a page: one screen of content the application offers to display devices.
// The application owns every page and drives it only through these operations, in this slot
// order. Operations marked "main thread" come from the simulator loop; the device operations
// also come from the display-device library's notification threads, so a page that shares
// state between the two guards it itself.

#include "app/contracts/IPageHost.h"
#include "nuvex/api/Nuvex.h"

#include <windows.h>

class CXmlElement;

// What a page is given when it is initialised: its element in "Dravik.xml" (null for the
// joystick pages). Valid only during the call.
struct PageConfiguration {
    const CXmlElement* element;
};

class IPage {
public:
    IPage(DWORD pageId, IPageHost* owner) : m_pageId(pageId), m_owner(owner) {}
    // Destroying through IPage destroys the whole page.
    virtual ~IPage() = default;
    IPage(const IPage&) = delete;
    IPage& operator=(const IPage&) = delete;

    // The device reports that the user switched to this page; the page is sent right after.
    virtual void OnPageActivated(NuvexDevice device) = 0;
    // Offered a device that arrived. True only when the page added itself (Nuvex_AddPage with its
    // own id); *activated tells whether it asked to be the active page (read only on true).
    // activate is the application's suggestion. A page not serving the device's type returns
    // false and touches nothing.
    virtual bool AddToDevice([[maybe_unused]] NuvexDevice device, [[maybe_unused]] bool activate,
                             [[maybe_unused]] bool* activated) {
        return false;
    }
    // Writes the current content to a device on which the page is active.
    virtual void SendToDevice([[maybe_unused]] NuvexDevice device,
                              [[maybe_unused]] const GUID& deviceType) {}
    virtual void SendLedsToDevice([[maybe_unused]] NuvexDevice device,
                                  [[maybe_unused]] const GUID& deviceType) {}
    // Once, before the page is entered in the application's map (main thread): the page maps
    // its events and builds its data definition here.
    virtual void OnSimInitialize([[maybe_unused]] const PageConfiguration* configuration) {}
    // Simulator start or resume (main thread): the page requests its data.
    virtual void OnSimStart() {}
    // Simulator stop or pause (main thread).
    virtual void OnSimStop() {}
    // Object data whose request id is this page's id (main thread); the block starts at the
    // first datum of the page's definition.
    virtual void OnSimRecieveData([[maybe_unused]] const void* data, [[maybe_unused]] DWORD size) {}
    // Soft buttons newly pressed on a device where this page is active.
    virtual void OnButtonPress([[maybe_unused]] DWORD buttons) {}

    // The page number given to the display-device library and the request id of the page's
    // data request.
    DWORD PageId() const { return m_pageId; }
    // The page's host: the application, or a test's own. Not owned.
    IPageHost* Owner() const { return m_owner; }

private:
    DWORD m_pageId;
    IPageHost* m_owner;
};
