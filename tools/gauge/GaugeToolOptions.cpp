#include "tools/gauge/GaugeToolOptions.h"

#include "common/StringCompare.h"
#include "pages/gauge/expression/ExpressionToken.h"

#include <cerrno>
#include <cwchar>

namespace {

constexpr int kMostSweepSteps = 64;

bool ParseNumber(const std::wstring& text, float& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    const double parsed = std::wcstod(text.c_str(), &end);
    if (*end != L'\0' || errno == ERANGE)
        return false;
    value = static_cast<float>(parsed);
    return true;
}

bool ParseWholeNumber(const std::wstring& text, int& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long parsed = std::wcstol(text.c_str(), &end, 10);
    if (*end != L'\0' || errno == ERANGE || parsed < 0 || parsed > 1000000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

// "NAME=VALUE", split at the last "=".
bool ParseValue(const std::wstring& text, VariableValue& value) {
    const size_t equals = text.rfind(L'=');
    return equals != std::wstring::npos &&
           ParseVariableName(text.substr(0, equals), value.variable) &&
           ParseNumber(text.substr(equals + 1), value.value);
}

bool ParsePress(const std::wstring& text, ButtonPress& press) {
    press.text = text;
    struct Named {
        const wchar_t* name;
        ButtonPress::Input input;
    };
    static constexpr Named kInputs[] = {{L"up", ButtonPress::Input::Up},
                                        {L"down", ButtonPress::Input::Down},
                                        {L"left", ButtonPress::Input::Left},
                                        {L"right", ButtonPress::Input::Right}};
    for (const Named& named : kInputs) {
        if (EqualsNoCase(text.c_str(), named.name)) {
            press.input = named.input;
            return true;
        }
    }
    if (text.size() == 1 && text[0] >= L'1' && text[0] <= L'6') {
        press.input = ButtonPress::Input::Label;
        press.labelNumber = text[0] - L'0';
        return true;
    }
    return false;
}

bool ParseCommand(const std::wstring& text, ToolCommand& command) {
    struct Named {
        const wchar_t* name;
        ToolCommand command;
    };
    static constexpr Named kCommands[] = {{L"render", ToolCommand::Render},
                                          {L"check", ToolCommand::Check},
                                          {L"eval", ToolCommand::Eval},
                                          {L"sweep", ToolCommand::Sweep}};
    for (const Named& named : kCommands) {
        if (EqualsNoCase(text.c_str(), named.name)) {
            command = named.command;
            return true;
        }
    }
    return false;
}

class OptionReader {
public:
    OptionReader(int argc, const wchar_t* const* argv) : m_argc(argc), m_argv(argv) {}

    bool Done() const { return m_next >= m_argc; }
    std::wstring Take() { return m_argv[m_next++]; }
    // The value after an option; false (with the message) when there is none.
    bool TakeValue(const std::wstring& option, std::wstring& value, std::wstring& error) {
        if (Done()) {
            error = option + L" needs a value";
            return false;
        }
        value = Take();
        return true;
    }

private:
    int m_argc;
    const wchar_t* const* m_argv;
    int m_next = 1;
};

// The options that follow the command; false with a message at the first one that is wrong.
bool ReadOptions(OptionReader& reader, GaugeToolOptions& options, std::wstring& error) {
    bool hasFrom = false;
    bool hasTo = false;
    while (!reader.Done()) {
        const std::wstring option = reader.Take();
        std::wstring value;
        const bool isOption = option.rfind(L"--", 0) == 0;
        if (isOption && !reader.TakeValue(option, value, error))
            return false;
        if (!isOption && options.command == ToolCommand::Eval && options.expression.empty()) {
            options.expression = option;
        } else if (option == L"--file") {
            options.file = value;
        } else if (option == L"--cab") {
            options.cabFile = value;
        } else if (option == L"--root") {
            options.rootFolder = value;
        } else if (option == L"--config") {
            options.pagesFile = value;
        } else if (option == L"--page") {
            if (!ParseWholeNumber(value, options.page) || options.page < 1) {
                error = L"--page takes a page number from 1: " + value;
                return false;
            }
        } else if (option == L"--set") {
            VariableValue variableValue;
            if (!ParseValue(value, variableValue)) {
                error = L"--set takes LETTER:NAME[,UNITS]=NUMBER: " + value;
                return false;
            }
            options.values.push_back(variableValue);
        } else if (option == L"--press") {
            ButtonPress press;
            if (!ParsePress(value, press)) {
                error = L"--press takes up, down, left, right or 1 to 6: " + value;
                return false;
            }
            options.presses.push_back(press);
        } else if (option == L"--out") {
            options.pngFile = value;
        } else if (option == L"--bmp") {
            options.bmpFile = value;
        } else if (option == L"--expr") {
            options.expression = value;
        } else if (option == L"--var") {
            if (!ParseVariableName(value, options.sweepVariable)) {
                error = L"--var takes LETTER:NAME[,UNITS]: " + value;
                return false;
            }
        } else if (option == L"--from") {
            hasFrom = ParseNumber(value, options.sweepFrom);
            if (!hasFrom) {
                error = L"--from takes a number: " + value;
                return false;
            }
        } else if (option == L"--to") {
            hasTo = ParseNumber(value, options.sweepTo);
            if (!hasTo) {
                error = L"--to takes a number: " + value;
                return false;
            }
        } else if (option == L"--steps") {
            if (!ParseWholeNumber(value, options.sweepSteps) || options.sweepSteps < 1 ||
                options.sweepSteps > kMostSweepSteps) {
                error = L"--steps takes a number of frames from 1 to " +
                        std::to_wstring(kMostSweepSteps) + L": " + value;
                return false;
            }
        } else {
            error = L"unknown option: " + option;
            return false;
        }
    }
    if (options.command == ToolCommand::Sweep &&
        (options.sweepVariable.letter == L' ' || !hasFrom || !hasTo || options.sweepSteps == 0)) {
        error = L"sweep needs --var, --from, --to and --steps";
        return false;
    }
    return true;
}

bool CheckCombination(const GaugeToolOptions& options, std::wstring& error) {
    const bool attributes = options.file || options.cabFile || options.rootFolder;
    if (attributes && !options.pagesFile.empty()) {
        error = L"name the gauge either by --file, --cab and --root or by --config and --page";
        return false;
    }
    if (options.pagesFile.empty() != (options.page == 0)) {
        error = L"--config and --page go together";
        return false;
    }
    if (options.command == ToolCommand::Eval && options.expression.empty()) {
        error = L"eval needs an expression";
        return false;
    }
    if (options.command != ToolCommand::Eval && !options.expression.empty()) {
        error = L"only eval takes an expression";
        return false;
    }
    return true;
}

} // namespace

bool ParseVariableName(const std::wstring& text, VariableName& variable) {
    const std::wstring token = !text.empty() && text[0] == L'(' ? text : L"(" + text + L")";
    const VariableReference reference = ParseVariableToken(token);
    if (reference.letter == L' ' || reference.letter == L'(' || reference.name.empty())
        return false;
    variable.text = text;
    variable.letter = reference.letter;
    variable.name = reference.name;
    variable.units = reference.units;
    return true;
}

bool ParseOptions(int argc, const wchar_t* const* argv, GaugeToolOptions& options,
                  std::wstring& error) {
    OptionReader reader(argc, argv);
    if (reader.Done() || !ParseCommand(reader.Take(), options.command)) {
        error = argc > 1 ? L"unknown command: " + std::wstring(argv[1]) : L"no command";
        return false;
    }
    if (!ReadOptions(reader, options, error) || !CheckCombination(options, error))
        return false;
    if (options.pngFile.empty())
        options.pngFile = options.command == ToolCommand::Sweep ? L"sweep.png" : L"gauge.png";
    return true;
}

const wchar_t* UsageText() {
    return LR"(DravikGauge: see a gauge as an instrument panel shows it, without the panel.

  DravikGauge render [gauge] [values] [presses] [--out FILE.png] [--bmp FILE.bmp]
      The 320 x 240 image the panel shows (default gauge.png), optionally also as BMP.
  DravikGauge check [gauge] [values]
      What the gauge reader understood and passed over; exit code 1 when the gauge does
      not load.
  DravikGauge eval EXPRESSION [gauge] [values]
      The expression's result and the stack after every token (--expr EXPRESSION for one
      that starts with --). Without a gauge, the expression's variables are registered as a
      shift or rotation registers them.
  DravikGauge sweep --var VARIABLE --from X --to Y --steps N [gauge] [values] [presses]
                    [--out FILE.png]
      N frames with the variable going from X to Y, on one contact sheet (default
      sweep.png) with the value under each frame.

gauge (the attributes of a "Gauge" element, or a page of a pages file; neither: the
built-in airspeed gauge):
  --file FILE  --cab FILE.CAB  --root Absolute|Fsx|other
      As "File", "CabFile" and "RootFolder". A relative root is the program's folder:
      the folder DravikGauge.exe is in.
  --config Dravik.xml --page N
      The page numbered N as Dravik.exe numbers them (every "Gauge" and every joystick
      page, from 1), with its "Button" labels; a relative root is that file's folder.
values:
  --set "A:Airspeed indicated,knots=120"   a simulator variable the gauge registers
  --set "L:Var1=3"                         a gauge-local variable
presses (in order, as the panel's soft buttons):
  --press up|down|left|right|1..6
)";
}
