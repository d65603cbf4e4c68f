// Scenario files: one step per line, run in order.
//
//   [DELAY] COMMAND [ARGUMENTS]
//
// DELAY is the number of milliseconds to wait after the previous step (0 when left out).
// Commands (case ignored):
//   start, stop, pause, resume   raise the system event SimStart, SimStop, Paused, Unpaused
//   quit                         send the quit message
//   set NAME|UNITS|VALUE         set a variable; NAME and UNITS may hold spaces,
//                                e.g. "200 set COM ACTIVE FREQUENCY:1|MHz|118.5"
//   event NAME [DATA]            apply a simulator event's effect as the cockpit would,
//                                e.g. "event COM_STBY_RADIO_SWAP"
//   log TEXT                     write TEXT to the log
//   waitfile PATH                hold the flight until the file PATH exists (at most two
//                                minutes), so a script can finish pressing buttons first
// Blank lines and lines whose first non-blank character is '#' are ignored. A line that does
// not parse is reported in the log with its number and skipped; the other steps still run.

#include "standins/simconnect/Scenario.h"

#include "common/UniqueHandle.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

struct CommandName {
    const char* name;
    ScenarioCommand command;
};

const CommandName kCommands[] = {
    {"start", ScenarioCommand::Start},       {"stop", ScenarioCommand::Stop},
    {"pause", ScenarioCommand::Pause},       {"resume", ScenarioCommand::Resume},
    {"quit", ScenarioCommand::Quit},         {"set", ScenarioCommand::Set},
    {"event", ScenarioCommand::Event},       {"log", ScenarioCommand::Log},
    {"waitfile", ScenarioCommand::WaitFile},
};

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Splits off the first blank-separated word.
std::string TakeWord(std::string& rest) {
    rest = Trim(rest);
    const size_t end = rest.find_first_of(" \t");
    std::string word = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : Trim(rest.substr(end));
    return word;
}

bool ParseUnsigned(const std::string& word, DWORD& value) {
    if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long parsed = std::strtoull(word.c_str(), nullptr, 10);
    if (errno != 0 || parsed > MAXDWORD)
        return false;
    value = static_cast<DWORD>(parsed);
    return true;
}

bool ParseDouble(const std::string& word, double& value) {
    if (word.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return end != nullptr && *end == '\0';
}

bool FindCommand(const std::string& word, ScenarioCommand& command) {
    for (const CommandName& entry : kCommands)
        if (_stricmp(entry.name, word.c_str()) == 0) {
            command = entry.command;
            return true;
        }
    return false;
}

// Fills the step's arguments from the rest of the line; returns an error text or empty.
std::string ParseArguments(ScenarioStep& step, const std::string& rest) {
    switch (step.command) {
    case ScenarioCommand::Set: {
        const size_t first = rest.find('|');
        const size_t second = first == std::string::npos ? first : rest.find('|', first + 1);
        if (second == std::string::npos)
            return "set needs NAME|UNITS|VALUE";
        step.name = Trim(rest.substr(0, first));
        step.units = Trim(rest.substr(first + 1, second - first - 1));
        if (step.name.empty() || step.units.empty())
            return "set needs NAME|UNITS|VALUE";
        if (!ParseDouble(Trim(rest.substr(second + 1)), step.value))
            return "set has no valid number as VALUE";
        return {};
    }
    case ScenarioCommand::Event: {
        std::string words = rest;
        step.name = TakeWord(words);
        if (step.name.empty())
            return "event needs an event name";
        const std::string data = TakeWord(words);
        if (!data.empty() && !ParseUnsigned(data, step.data))
            return "event data must be an unsigned number";
        if (!words.empty())
            return "event takes a name and at most one data value";
        return {};
    }
    case ScenarioCommand::Log:
        step.name = rest;
        return {};
    case ScenarioCommand::WaitFile:
        step.name = rest;
        return rest.empty() ? "waitfile needs a path" : std::string();
    default:
        return rest.empty() ? std::string() : "this command takes no arguments";
    }
}

std::string Narrow(const std::wstring& text) {
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

} // namespace

std::vector<ScenarioStep> ParseScenario(const std::string& text, std::vector<std::string>& errors) {
    std::vector<ScenarioStep> steps;
    std::istringstream lines(text);
    std::string line;
    for (unsigned number = 1; std::getline(lines, line); ++number) {
        std::string rest = Trim(line);
        if (rest.empty() || rest[0] == '#')
            continue;
        ScenarioStep step{number, 0, ScenarioCommand::Log, {}, {}, 0.0, 0, rest};
        std::string word = TakeWord(rest);
        std::string error;
        if (ParseUnsigned(word, step.delayMs))
            word = TakeWord(rest);
        if (word.empty())
            error = "a delay needs a command after it";
        else if (!FindCommand(word, step.command))
            error = "unknown command \"" + word + "\"";
        else
            error = ParseArguments(step, rest);
        if (error.empty())
            steps.push_back(step);
        else
            errors.push_back("scenario line " + std::to_string(number) + ": " + error +
                             " - skipped: " + step.text);
    }
    return steps;
}

std::vector<ScenarioStep> LoadScenario(const std::wstring& path, std::vector<std::string>& errors) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > 1024 * 1024) {
        errors.push_back("scenario file cannot be read: " + Narrow(path));
        return {};
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        !::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) {
        errors.push_back("scenario file cannot be read: " + Narrow(path));
        return {};
    }
    text.resize(read);
    return ParseScenario(text, errors);
}
