#pragma once
// The common part of the joystick display's text pages: three lines and a selection state, added to
// joystick displays, sent with Nuvex_SetString, fed with the page's simulator data. Each page
// formats its lines from its data record and turns soft buttons into selection moves and simulator
// events.
//
// Pages are called from the main thread and from the display-device library's threads at the same
// time, so each guards its state, record and lines with its own lock. The lock is never held while
// the library is called or the displays are refreshed. One thread at a time sends a page to a
// device, so a display receives the page's states in the order they arose.

#include "app/contracts/IPage.h"
#include "app/simconnect/SimConnectApi.h"
#include "nuvex/api/Nuvex.h"

#include <array>
#include <map>
#include <mutex>
#include <span>
#include <string>

class CPage_Orvik_Base : public IPage {
public:
    static constexpr DWORD SoftButton_Select = 1;
    static constexpr DWORD SoftButton_Up = 2;
    static constexpr DWORD SoftButton_Down = 4;
    static constexpr int kLineCount = 3;
    static constexpr size_t kLineChars = 255; // with the terminating zero
    static constexpr size_t kDisplayChars = 16;

    CPage_Orvik_Base(DWORD pageId, IPageHost* owner, const wchar_t* pageName);

    void OnPageActivated(NuvexDevice device) override;
    bool AddToDevice(NuvexDevice device, bool activate, bool* activated) override;
    void SendToDevice(NuvexDevice device, const GUID& deviceType) override;
    void SendLedsToDevice(NuvexDevice, const GUID&) override {}
    void OnSimStart() override;
    void OnSimStop() override {}
    void OnButtonPress(DWORD buttons) override;

    std::wstring Line(int line) const;
    DWORD SelectionState() const;
    const std::wstring& PageName() const { return m_pageName; }

protected:
    // One cell of a page's button table: go to `nextState`, or, when `event` is not kNoEvent,
    // trigger that entry of the page's event ids and keep the state.
    struct ButtonStep {
        DWORD nextState;
        int event;
    };
    using ButtonRow = std::array<ButtonStep, 3>; // Select, Up, Down
    static constexpr int kNoEvent = -1;
    static constexpr ButtonStep Go(DWORD state) { return {state, kNoEvent}; }
    static constexpr ButtonStep Fire(int event) { return {0, event}; }

    // With the page lock held: the lines from the stored record and state.
    virtual void FormatLines() = 0;
    // With the page lock held: the buttons' effect on state and simulator. False when the press
    // changes nothing, so the lines are neither formatted nor sent.
    virtual bool ApplyButtons(DWORD buttons) = 0;
    // Sends the page again to every display that shows it; never with the page lock held.
    void RefreshPage();

    // Steps of OnSimInitialize: label traced, a definition id taken, datums added with ids 0, 1, 2,
    // ..., events mapped, then the group priority and the lines of the zero record.
    void BeginInitialize(const wchar_t* label);
    void AddDatum(const char* datumName, const char* unitsName, simconnect::DataType type,
                  float epsilon, const wchar_t* label);
    static DWORD MapEvent(const char* eventName);
    void EndInitialize(const wchar_t* priorityLabel);

    // The shared data step: a record of the wrong size is dropped with `mismatchLine`; an unchanged
    // one does nothing; otherwise it is stored, formatted and sent.
    template <typename Record>
    void ReceiveRecord(const void* data, DWORD size, Record& record, const wchar_t* mismatchLine) {
        ReceiveBytes(data, size, &record, sizeof(Record), mismatchLine);
    }

    // Applies Select, Up and Down in that order, each on the state the previous one left.
    void ApplyButtonTable(DWORD buttons, std::span<const ButtonRow> table, const DWORD* events);
    static void TriggerEvent(DWORD clientEventId);

    // Takes 360 off while above 360 and adds 360 while below 0 (so 360 itself stays), in one step
    // however far out the value is.
    static double WrapDegrees(double degrees);

    // printf-style with wide rules (%wc, %ws) into one line buffer.
    void FormatLine(int line, const wchar_t* format, ...);

    mutable std::mutex m_pageLock;
    DWORD m_state = 0;

private:
    using ShownLines = std::array<std::array<wchar_t, kDisplayChars + 1>, kLineCount>;

    // With the page lock held.
    ShownLines CopyLines();
    void SendLines(NuvexDevice device, const ShownLines& lines);
    // With the page lock held: the lines of the device's send in progress are out of date, or, when
    // none is in progress, the calling thread becomes its sender and takes `lines`. True for the
    // sender.
    bool BeginSend(NuvexDevice device, ShownLines& lines);
    // With the page lock held: the lines that changed since the sender took the last ones, or false
    // when it sent the latest and its send is over.
    bool NextSend(NuvexDevice device, ShownLines& lines);
    void ReceiveBytes(const void* data, DWORD size, void* record, size_t recordSize,
                      const wchar_t* mismatchLine);

    DWORD m_defineId = 0;
    DWORD m_nextDatumId = 0;
    wchar_t m_lines[kLineCount][kLineChars] = {};
    // The devices this page is being sent to, each with whether its lines changed since its sender
    // took them.
    std::map<NuvexDevice, bool> m_sending;
    std::wstring m_pageName;
};
