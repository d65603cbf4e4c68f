#pragma once
// Shared by the application's tests: the application built from recording test doubles (four
// panels, test pages for every kind, display devices), and a scratch folder made the current
// directory so that "Dravik.xml" is read from it.

#include "app/core/Dravik.h"
#include "tests/support/CallLog.h"
#include "tests/support/TestDisplayDevices.h"
#include "tests/support/TestHidPanel.h"
#include "tests/support/TestPage.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <string>

// Request ids the four test panels claim, above every page id of the tests.
constexpr DWORD kMultiRequestId = 1001;
constexpr DWORD kRadioRequestId = 1002;
constexpr DWORD kSwitchRequestId = 1003;
constexpr DWORD kAnnunciatorRequestId = 1004;

enum class DisplayDevicesIn { None, ServiceStopped, ServiceRunning };

inline DravikComponents TestComponents(DisplayDevicesIn displayDevices) {
    DravikComponents components;
    components.panels.push_back(std::make_unique<CTestHidPanel>("multi", kMultiRequestId));
    components.panels.push_back(std::make_unique<CTestHidPanel>("radio", kRadioRequestId));
    components.panels.push_back(std::make_unique<CTestHidPanel>("switch", kSwitchRequestId));
    components.panels.push_back(
        std::make_unique<CTestHidPanel>("annunciator", kAnnunciatorRequestId));
    components.pageFactories = TestPageFactories();
    if (displayDevices != DisplayDevicesIn::None)
        components.displayDevices = std::make_unique<CTestDisplayDevices>(
            displayDevices == DisplayDevicesIn::ServiceRunning);
    return components;
}

// The application with its protected operations opened for tests.
class CDravikUnderTest : public CDravik {
public:
    explicit CDravikUnderTest(DisplayDevicesIn displayDevices = DisplayDevicesIn::ServiceRunning)
        : CDravik(TestComponents(displayDevices)) {}
    explicit CDravikUnderTest(DravikComponents components) : CDravik(std::move(components)) {}

    using CDravik::AddPage;
    using CDravik::DeletePages;
    using CDravik::InitializeNuvex;
    using CDravik::InitializePages;
    using CDravik::OnFinalize;
    using CDravik::OnInitialize;
    using CDravik::OnSimObjectData;
    using CDravik::OnSimStart;
    using CDravik::OnSimStop;
    using CDravik::OnWindowMessage;
};

class DravikTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        m_folder = std::filesystem::temp_directory_path() /
                   ("dravik-app-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(m_folder);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder);
        TestCallLog().Clear();
    }

    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
        FailNextTestPageCreations(0);
        CoUninitialize();
    }

    void WritePagesFile(const std::string& xml) {
        std::ofstream file(m_folder / "Dravik.xml", std::ios::binary | std::ios::trunc);
        file << xml;
    }

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_previous;
};
