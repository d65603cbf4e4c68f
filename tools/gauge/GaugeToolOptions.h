#pragma once
// The gauge tool's command line.

#include <optional>
#include <string>
#include <vector>

enum class ToolCommand { Render, Check, Eval, Sweep };

// A variable as the tool's options name it: "A:Airspeed indicated,knots" or "L:Var1", taken apart
// as the expression engine takes apart "(A:Airspeed indicated,knots)".
struct VariableName {
    std::wstring text; // as written
    wchar_t letter = L' ';
    std::wstring name;
    std::wstring units;
};

// --set "A:Airspeed indicated,knots=120"
struct VariableValue {
    VariableName variable;
    float value = 0.0f;
};

// --press up|down|left|right|1..6: the panel's inputs in the order a gauge page handles them.
struct ButtonPress {
    enum class Input { Up, Down, Left, Right, Label };
    Input input = Input::Up;
    int labelNumber = 0; // 1 to 6 for Input::Label
    std::wstring text;   // as written
};

struct GaugeToolOptions {
    ToolCommand command = ToolCommand::Render;

    // The gauge: the attributes of a "Gauge" element, or a page of a "Dravik.xml", or neither
    // (the built-in gauge).
    std::optional<std::wstring> file;
    std::optional<std::wstring> cabFile;
    std::optional<std::wstring> rootFolder;
    std::wstring pagesFile;
    int page = 0;

    std::vector<VariableValue> values;
    std::vector<ButtonPress> presses;

    std::wstring pngFile;    // render, sweep
    std::wstring bmpFile;    // render, optional
    std::wstring expression; // eval

    // sweep
    VariableName sweepVariable;
    float sweepFrom = 0.0f;
    float sweepTo = 0.0f;
    int sweepSteps = 0;

    bool HasGauge() const { return file || cabFile || rootFolder || !pagesFile.empty(); }
};

// False with a message when the command line cannot be used.
bool ParseOptions(int argc, const wchar_t* const* argv, GaugeToolOptions& options,
                  std::wstring& error);

// What `DravikGauge` prints without arguments or with a wrong one.
const wchar_t* UsageText();

// Takes "A:Name,units" (parentheses optional) apart; false when it names no variable.
bool ParseVariableName(const std::wstring& text, VariableName& variable);
