#include "app/main/DravikEntry.h"

#include "app/main/ProgramComponents.h"
#include "app/trace/TraceProvider.h"
#include "registration/AddonRegistration.h"

#include "common/StringCompare.h"

#include <objbase.h>
#include <shellapi.h>

#include <memory>

namespace {

void WriteDebugOutput(const wchar_t* text) {
    OutputDebugStringW(text);
}

// Frees the vector CommandLineToArgvW allocates.
struct ArgumentVector {
    explicit ArgumentVector(const wchar_t* commandLine)
        : arguments(CommandLineToArgvW(commandLine, &count)) {}
    ~ArgumentVector() {
        if (arguments)
            LocalFree(arguments);
    }
    ArgumentVector(const ArgumentVector&) = delete;
    ArgumentVector& operator=(const ArgumentVector&) = delete;

    int count = 0;
    wchar_t** arguments;
};

} // namespace

const EntryActions& DefaultEntryActions() {
    static const EntryActions actions = {&InstallAddon, &UninstallAddon, &RunApplication,
                                         &WriteDebugOutput};
    return actions;
}

EntryCommand DecideEntryCommand(int argumentCount, const wchar_t* const* arguments) {
    if (!arguments || argumentCount != 2 || !arguments[1])
        return EntryCommand::InstallThenRun;
    if (EqualsNoCase(arguments[1], L"-install"))
        return EntryCommand::Install;
    if (EqualsNoCase(arguments[1], L"-uninstall"))
        return EntryCommand::Uninstall;
    if (EqualsNoCase(arguments[1], L"-run"))
        return EntryCommand::Run;
    return EntryCommand::InstallThenRun;
}

bool RunApplication(HINSTANCE instance) {
    auto application = std::make_unique<CDravik>(ProgramComponents());
    return application->Run(instance);
}

int DravikEntry(HINSTANCE instance, const wchar_t* commandLine, const EntryActions& actions) {
    GetTraceProvider().Register(instance);
    // A single-threaded apartment: the XML reader and document are COM objects.
    HRESULT com = CoInitialize(nullptr);

    EntryCommand command;
    {
        ArgumentVector vector(commandLine);
        command = DecideEntryCommand(vector.count, vector.arguments);
    }

    bool run = false;
    switch (command) {
    case EntryCommand::Install:
        actions.debugOutput(L"Dravik -install\n");
        actions.install();
        break;
    case EntryCommand::Uninstall:
        actions.debugOutput(L"Dravik -uninstall\n");
        actions.uninstall();
        break;
    case EntryCommand::Run:
        actions.debugOutput(L"Dravik -run\n");
        run = true;
        break;
    case EntryCommand::InstallThenRun:
        actions.install();
        run = true;
        break;
    }

    int exitCode = kExitRegistrationOnly;
    if (run)
        exitCode = actions.run(instance) ? kExitRan : kExitNotStarted;

    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}

int DravikEntry(HINSTANCE instance) {
    return DravikEntry(instance, GetCommandLineW(), DefaultEntryActions());
}
