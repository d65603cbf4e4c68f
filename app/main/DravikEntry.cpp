#include "app/main/DravikEntry.h"

#include "app/main/ProgramComponents.h"
#include "app/trace/TraceProvider.h"
#include "registration/AddonRegistration.h"

#include "common/CallNoThrow.h"
#include "common/StringCompare.h"
#include "common/UniqueHandle.h"

#include <objbase.h>
#include <shellapi.h>

#include <memory>

namespace {

void WriteDebugOutput(const wchar_t* text) {
    OutputDebugStringW(text);
}

EntryCommand DecideFromCommandLine(const wchar_t* commandLine) {
    int count = 0;
    UniqueLocal<wchar_t**> arguments(CommandLineToArgvW(commandLine, &count));
    return DecideEntryCommand(count, arguments.get());
}

int Enter(HINSTANCE instance, const wchar_t* commandLine, const EntryActions& actions) {
    GetTraceProvider().Register(instance);
    // A single-threaded apartment: the XML reader and document are COM objects.
    const UniqueComApartment com = EnterComApartment();

    bool run = false;
    switch (DecideFromCommandLine(commandLine)) {
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

    if (!run)
        return kExitRegistrationOnly;
    return actions.run(instance) ? kExitRan : kExitNotStarted;
}

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

int DravikEntry(HINSTANCE instance, const wchar_t* commandLine,
                const EntryActions& actions) noexcept {
    // Anything thrown on the way ends the program as a run that could not start.
    int exitCode = kExitNotStarted;
    (void)CallNoThrow([&] { exitCode = Enter(instance, commandLine, actions); });
    return exitCode;
}

int DravikEntry(HINSTANCE instance) noexcept {
    return DravikEntry(instance, GetCommandLineW(), DefaultEntryActions());
}
