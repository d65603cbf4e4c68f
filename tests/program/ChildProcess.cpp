#include "tests/program/ChildProcess.h"

#include "common/UniqueHandle.h"

std::wstring BuildOutputFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

namespace {

// This process's environment block with `extra` set on top, for CreateProcessW.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& extra) {
    std::wstring block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        std::wstring text(entry);
        bool replaced = false;
        for (const auto& [name, value] : extra)
            replaced |= _wcsnicmp(text.c_str(), (name + L"=").c_str(), name.size() + 1) == 0;
        if (!replaced)
            block += text + L'\0';
    }
    FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : extra)
        block += name + L"=" + value + L'\0';
    block += L'\0';
    return block;
}

} // namespace

std::optional<DWORD>
RunProgram(const std::wstring& program, const std::wstring& arguments,
           const std::wstring& workingFolder,
           const std::vector<std::pair<std::wstring, std::wstring>>& environment, DWORD timeoutMs,
           const std::wstring& outputFile) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    std::wstring block = EnvironmentBlock(environment);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    UniqueFile output;
    if (!outputFile.empty()) {
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        output.reset(CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!output)
            return std::nullopt;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                        output ? TRUE : FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        workingFolder.c_str(), &startup, &info))
        return std::nullopt;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 0xDEAD);
        WaitForSingleObject(process.get(), 5000);
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}
