#pragma once
// A library object connected to the stand-in service running in this process, with three
// devices: a joystick display, an instrument panel and a panel whose id is all zero.

#include "nuvex/api/DeviceExports.h"
#include "nuvex/api/DeviceList.h"
#include "nuvex/api/ServerExports.h"
#include "standins/nuvex-service/StandinService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

// Expected request bodies, written field by field.
class CBody {
public:
    CBody& Id(const StandinDeviceId& id);
    CBody& Prefix(const StandinDeviceId& id); // id and terminal id
    CBody& Dword(DWORD value);
    // room characters: the text, then zeros.
    CBody& Text(const std::wstring& text, size_t room);
    CBody& Raw(const Bytes& bytes);
    CBody& Zeros(size_t count);
    const Bytes& Get() const { return m_bytes; }

private:
    Bytes m_bytes;
};

DWORD TerminalId();

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    NuvexDevice Handle(const StandinDeviceConfig& config);
    // The single request with this message id since the last ClearRequests.
    StandinRequest OnlyRequest(DWORD message);

    StandinDeviceConfig m_joystick = StandinDeviceConfig::Joystick(L"SERIAL-NUMBER-16");
    StandinDeviceConfig m_panel = StandinDeviceConfig::Panel(L"PANEL-2");
    StandinDeviceConfig m_zero = StandinDeviceConfig::Panel(L"ZERO-ID");
    CStandinService m_service;
    CDeviceList m_library;
    CDeviceExports m_exports{m_library};
    CServerExports m_servers{m_library};
    NuvexDevice m_joystickDevice = nullptr;
    NuvexDevice m_panelDevice = nullptr;
    NuvexDevice m_zeroDevice = nullptr;
};
