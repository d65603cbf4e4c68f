#pragma once
// A page for tests of the application: it records every operation it receives in
// TestCallLog() as "page <id> <operation>[ <details>]", and its destruction as
// "page <id> destroyed".

#include "app/contracts/IPage.h"
#include "app/contracts/PageFactory.h"

#include <string>

class CTestPage : public IPage {
public:
    CTestPage(const PageArguments& arguments, PageKind kind);
    ~CTestPage() override;

    void OnPageActivated(NuvexDevice device) override;
    bool AddToDevice(NuvexDevice device, bool activate, bool* activated) override;
    void SendToDevice(NuvexDevice device, const GUID& deviceType) override;
    void SendLedsToDevice(NuvexDevice device, const GUID& deviceType) override;
    // Logs "page <id> OnSimInitialize <element name>" ("-" without configuration).
    void OnSimInitialize(const PageConfiguration* configuration) override;
    void OnSimStart() override;
    void OnSimStop() override;
    // Logs "page <id> OnSimRecieveData <size> <first byte>".
    void OnSimRecieveData(const void* data, DWORD size) override;
    void OnButtonPress(DWORD buttons) override;

    PageKind Kind() const { return m_kind; }
    const std::wstring& ClassName() const { return m_className; }
    bool Radio1() const { return m_radio1; }

private:
    void Log(const std::string& operation) const;

    PageKind m_kind;
    std::wstring m_className;
    bool m_radio1;
};

// A factory for every kind, each making a CTestPage.
CPageFactories TestPageFactories();

// The next `count` creations through TestPageFactories() fail as if memory ran out.
void FailNextTestPageCreations(int count);
