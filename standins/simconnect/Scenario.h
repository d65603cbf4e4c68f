#pragma once
// The demo's scripted flight: timed steps read from a text file (syntax in Scenario.cpp).

#include <windows.h>

#include <string>
#include <vector>

enum class ScenarioCommand { Start, Stop, Pause, Resume, Quit, Set, Event, Log, WaitFile };

struct ScenarioStep {
    unsigned line; // 1-based line of the file
    DWORD delayMs; // wait after the previous step
    ScenarioCommand command;
    std::string name;  // set: variable; event: event name; log: the text; waitfile: the path
    std::string units; // set
    double value;      // set
    DWORD data;        // event
    std::string text;  // the line as written, for the log
};

// Parses the whole text; every line that cannot be understood adds one message to errors and
// is skipped.
std::vector<ScenarioStep> ParseScenario(const std::string& text, std::vector<std::string>& errors);

// Reads and parses a file; a file that cannot be read gives one message and no steps.
std::vector<ScenarioStep> LoadScenario(const std::wstring& path, std::vector<std::string>& errors);
