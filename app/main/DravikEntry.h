#pragma once
// What the program does from its entry point: prepare tracing and COM, read the command line,
// then perform a registration action or run the application until the simulator quits.

#include <windows.h>

// What the command line asks for.
enum class EntryCommand {
    Install,        // "-install": register, do not run
    Uninstall,      // "-uninstall": unregister, do not run
    Run,            // "-run": run without touching the registration files
    InstallThenRun, // anything else: register, then run
};

// Exit codes of the process.
constexpr int kExitRegistrationOnly = 1;
constexpr int kExitRan = 0;
constexpr int kExitNotStarted = -1;

// The actions behind the decisions; the program's are DefaultEntryActions(), tests bring their
// own.
struct EntryActions {
    bool (*install)();
    bool (*uninstall)();
    // Constructs the application, runs it with the instance and destroys it; true when it ran.
    bool (*run)(HINSTANCE instance);
    void (*debugOutput)(const wchar_t* text);
};

const EntryActions& DefaultEntryActions();

// The argument is examined only when the vector holds exactly the program path and one
// argument; case is ignored. A null vector (splitting failed) installs and runs.
EntryCommand DecideEntryCommand(int argumentCount, const wchar_t* const* arguments);

// The whole entry point for `commandLine` (as GetCommandLineW gives it); returns the exit code.
// An exception from any step ends it with kExitNotStarted.
int DravikEntry(HINSTANCE instance, const wchar_t* commandLine,
                const EntryActions& actions) noexcept;

// The program's entry: its own command line and the default actions.
int DravikEntry(HINSTANCE instance) noexcept;

// Constructs the application object, runs it and destroys it.
bool RunApplication(HINSTANCE instance);
