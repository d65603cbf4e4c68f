#pragma once
// The gauge authors' tool: render, check, eval and sweep over the gauge code that Dravik.exe
// ships.

// The process's exit code: 0 done, 1 the gauge does not load (check), 2 the command could not be
// carried out.
int RunGaugeTool(int argc, const wchar_t* const* argv);
