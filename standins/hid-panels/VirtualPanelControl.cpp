#include "standins/hid-panels/VirtualPanelControl.h"

#include <cstring>
#include <cwchar>
#include <sstream>
#include <vector>

namespace {

constexpr DWORD kReplyTimeoutMs = 5000;
// How long one input report may wait for the panel to handle it.
constexpr DWORD kReportTimeoutMs = 5000;
constexpr DWORD kDefaultQuietTimeoutMs = 10000;
constexpr DWORD kMostPresses = 100;

bool ParseNumber(const std::wstring& text, DWORD& value) {
    if (text.empty() || text[0] == L'-')
        return false;
    wchar_t* end = nullptr;
    value = static_cast<DWORD>(std::wcstoul(text.c_str(), &end, 0));
    return end && *end == L'\0';
}

bool ParseByte(const std::wstring& text, BYTE& value) {
    DWORD number = 0;
    if (!ParseNumber(text, number) || number > 0xFF)
        return false;
    value = static_cast<BYTE>(number);
    return true;
}

bool ParseInputIndex(const std::wstring& text, size_t& index) {
    DWORD number = 0;
    if (!ParseNumber(text, number) || number < 1 || number > 3)
        return false;
    index = number;
    return true;
}

const wchar_t kNotTaken[] = L"ERROR the panel did not take the input (is it open?)";

} // namespace

CVirtualPanelControl::CVirtualPanelControl(CVirtualHidDriver& driver, CFeatureReportLog& log)
    : m_driver(driver), m_log(log) {}

CVirtualPanelControl::~CVirtualPanelControl() {
    Stop();
}

bool CVirtualPanelControl::Start(const std::wstring& pipeName) {
    return m_pipe.Start(pipeName);
}

void CVirtualPanelControl::Stop() {
    m_pipe.Stop();
}

void CVirtualPanelControl::OnMessage(const BYTE* data, size_t size) {
    std::wstring command(size / sizeof(wchar_t), L'\0');
    std::memcpy(command.data(), data, command.size() * sizeof(wchar_t));
    const std::wstring reply = Execute(command);
    m_pipe.Write(reinterpret_cast<const BYTE*>(reply.data()), reply.size() * sizeof(wchar_t),
                 kReplyTimeoutMs);
}

std::wstring CVirtualPanelControl::Execute(const std::wstring& command) {
    std::wistringstream words(command);
    std::vector<std::wstring> args;
    for (std::wstring word; words >> word;)
        args.push_back(word);
    if (args.empty())
        return L"ERROR empty command";
    const std::wstring& verb = args[0];

    if (verb == L"quiet" && (args.size() == 2 || args.size() == 3)) {
        DWORD quietMs = 0;
        DWORD timeoutMs = kDefaultQuietTimeoutMs;
        if (!ParseNumber(args[1], quietMs) ||
            (args.size() == 3 && !ParseNumber(args[2], timeoutMs)))
            return L"ERROR usage: quiet <ms> [<timeout ms>]";
        return m_log.WaitQuiet(quietMs, timeoutMs) ? L"OK" : L"ERROR the reports kept coming";
    }

    if (verb == L"switch" && args.size() >= 5 && (args.size() - 2) % 3 == 0) {
        CVirtualHidDevice* device = m_driver.FindBySerial(args[1]);
        if (!device)
            return L"ERROR no panel " + args[1];
        std::vector<CVirtualHidDevice::LevelChange> changes;
        for (size_t at = 2; at < args.size(); at += 3) {
            CVirtualHidDevice::LevelChange change{};
            if (!ParseInputIndex(args[at], change.index) || !ParseByte(args[at + 1], change.mask) ||
                !ParseByte(args[at + 2], change.bits))
                return L"ERROR usage: switch <serial> <byte 1-3> <mask> <bits> ...";
            changes.push_back(change);
        }
        return device->Switch(changes, kReportTimeoutMs) ? L"OK" : kNotTaken;
    }

    if (verb == L"press" && (args.size() == 4 || args.size() == 5)) {
        CVirtualHidDevice* device = m_driver.FindBySerial(args[1]);
        if (!device)
            return L"ERROR no panel " + args[1];
        size_t index = 0;
        BYTE bits = 0;
        DWORD count = 1;
        if (!ParseInputIndex(args[2], index) || !ParseByte(args[3], bits) ||
            (args.size() == 5 && !ParseNumber(args[4], count)) || count < 1 || count > kMostPresses)
            return L"ERROR usage: press <serial> <byte 1-3> <bits> [<count 1-100>]";
        return device->Press(index, bits, static_cast<int>(count), kReportTimeoutMs) ? L"OK"
                                                                                     : kNotTaken;
    }

    return L"ERROR unknown command: " + command;
}
