#include "standins/nuvex-service/StandinControlServer.h"

#include "standins/nuvex-service/StandinText.h"

#include <cstring>
#include <cwchar>
#include <sstream>
#include <vector>

namespace {

constexpr DWORD kReplyTimeoutMs = 5000;

bool ParseNumber(const std::wstring& text, DWORD& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    value = static_cast<DWORD>(std::wcstoul(text.c_str(), &end, 0));
    return end && *end == L'\0';
}

// The command text after its first count words and the one space that follows them, verbatim.
std::wstring TextAfterWords(const std::wstring& command, size_t count) {
    size_t at = 0;
    for (size_t word = 0; word < count; ++word) {
        at = command.find_first_not_of(L' ', at);
        at = at == std::wstring::npos ? at : command.find(L' ', at);
        if (at == std::wstring::npos)
            return {};
    }
    return command.substr(at + 1);
}

std::wstring ResultReply(HRESULT result) {
    return StandinFormat(SUCCEEDED(result) ? L"OK 0x%08X" : L"ERROR 0x%08X",
                         static_cast<unsigned>(result));
}

} // namespace

CStandinControlServer::CStandinControlServer(CStandinService& service, std::wstring outputFolder,
                                             HANDLE quitEvent)
    : m_service(service), m_outputFolder(std::move(outputFolder)), m_quitEvent(quitEvent) {}

CStandinControlServer::~CStandinControlServer() {
    Stop();
}

bool CStandinControlServer::Start(const std::wstring& pipeName) {
    return m_pipe.Start(pipeName);
}

void CStandinControlServer::Stop() {
    m_pipe.Stop();
}

void CStandinControlServer::OnMessage(const BYTE* data, size_t size) {
    std::wstring command(size / sizeof(wchar_t), L'\0');
    std::memcpy(command.data(), data, command.size() * sizeof(wchar_t));
    const std::wstring reply = Execute(command);
    m_pipe.Write(reinterpret_cast<const BYTE*>(reply.data()), reply.size() * sizeof(wchar_t),
                 kReplyTimeoutMs);
}

std::wstring CStandinControlServer::Execute(const std::wstring& command) {
    std::wistringstream words(command);
    std::vector<std::wstring> args;
    for (std::wstring word; words >> word;)
        args.push_back(word);
    if (args.empty())
        return L"ERROR empty command";
    const std::wstring& verb = args[0];
    DWORD first = 0;
    DWORD second = 1;
    if (verb == L"press" && args.size() == 3 && ParseNumber(args[2], first))
        return ResultReply(m_service.PressSoftButtons(args[1], first));
    if (verb == L"page" && (args.size() == 3 || args.size() == 4) && ParseNumber(args[2], first) &&
        (args.size() == 3 || ParseNumber(args[3], second)))
        return ResultReply(m_service.ChangePage(args[1], first, second));
    if (verb == L"remove" && args.size() == 2)
        return ResultReply(m_service.RemoveDevice(args[1]));
    if (verb == L"arrive" && args.size() == 2)
        return ResultReply(m_service.AnnounceDevice(args[1]));
    if (verb == L"lines" && args.size() == 2) {
        if (!m_service.Device(args[1]))
            return L"ERROR unknown device";
        return L"OK\n" + m_service.ShownLine(args[1], 0) + L"\n" + m_service.ShownLine(args[1], 1) +
               L"\n" + m_service.ShownLine(args[1], 2);
    }
    DWORD third = 0;
    if (verb == L"waitline" && args.size() >= 4 && ParseNumber(args[2], first) &&
        ParseNumber(args[3], third)) {
        return m_service.WaitForLine(args[1], first, TextAfterWords(command, 4), third)
                   ? L"OK"
                   : L"ERROR the line shows: " + m_service.ShownLine(args[1], first);
    }
    if (verb == L"waitrequest" && args.size() == 4 && ParseNumber(args[1], first) &&
        ParseNumber(args[2], second) && ParseNumber(args[3], third)) {
        return m_service.WaitForRequest(first, second, third) ? L"OK" : L"ERROR no such request";
    }
    if (verb == L"dump" && args.size() <= 2) {
        const std::wstring folder = args.size() == 2 ? args[1] : m_outputFolder;
        if (folder.empty())
            return L"ERROR no output folder";
        return m_service.WriteDeviceFiles(folder) ? L"OK" : L"ERROR cannot write " + folder;
    }
    if (verb == L"freeze" && args.size() == 1) {
        m_service.Freeze();
        return L"OK";
    }
    if (verb == L"resume" && args.size() == 1) {
        m_service.Resume();
        return L"OK";
    }
    if (verb == L"status" && args.size() == 1)
        return StandinFormat(L"OK connected %u connections %u", m_service.IsConnected() ? 1u : 0u,
                             static_cast<unsigned>(m_service.ConnectionCount()));
    if (verb == L"quit" && args.size() == 1) {
        if (!m_quitEvent)
            return L"ERROR the service stops through the service control manager";
        SetEvent(m_quitEvent);
        return L"OK";
    }
    return L"ERROR unknown command: " + command;
}
