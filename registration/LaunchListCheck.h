#pragma once
// The last word before a rewritten launch list takes the place of the user's: both files are
// read with the program's XML reader, so that the program is never the one that breaks the
// simulator's launch list or loses another add-on's entry from it.

#include <functional>
#include <string>

// Entries the operation means to take out, recognised by the program path of their "Path"
// element.
using DroppableEntry = std::function<bool(const std::wstring& programPath)>;

// True when `rewritten` may replace `current`: `current` is not a well-formed launch list (missing,
// malformed, or with another document element than "SimBase.Document"), or `rewritten` is one and
// holds every entry of `current` that `droppable` does not claim, compared by the texts of their
// "Name" and "Path" elements, as often as `current` does. COM is initialised for the check when
// the calling thread has not done so.
bool RewriteKeepsLaunchList(const std::wstring& current, const std::wstring& rewritten,
                            const DroppableEntry& droppable);
