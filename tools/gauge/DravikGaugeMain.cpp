#include "common/CallNoThrow.h"
#include "tools/gauge/GaugeTool.h"
#include "tools/gauge/ToolText.h"

int wmain(int argc, wchar_t** argv) {
    int exitCode = 2;
    if (FAILED(CallNoThrow([&] { exitCode = RunGaugeTool(argc, argv); }))) {
        Err().Line(L"DravikGauge: out of memory or an unexpected failure");
        return 2;
    }
    return exitCode;
}
