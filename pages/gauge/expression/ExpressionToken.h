#pragma once
// What a token of an expression is, and the parts of the tokens that carry more than a word:
// numbers, the blocks of "if{" and "els{", and variable references.

#include "pages/gauge/expression/OperatorTables.h"

#include <string_view>

struct ClassifiedToken {
    TokenKind kind;
    Operation operation; // None unless the token is a table word
};

// The first rule that matches decides: digits only (the empty token too), a table word, "if{",
// "els{", "(&" (assignment), "(" (variable), else ignored. Words ignore case.
ClassifiedToken ClassifyToken(std::wstring_view token);

// A digits-only token rounded to float; the empty token gives 0.
float NumberValue(std::wstring_view digits);

// The text of an "if{" or "els{" block: from after the first "{" and any further braces and
// blanks, up to but excluding the character before the last "}" (the blank written before the
// closing brace). Empty when the token has no "}" or the block is empty.
std::wstring_view BlockText(std::wstring_view token);

struct VariableReference {
    wchar_t letter;
    std::wstring_view name;
    std::wstring_view units;
};

// Takes a variable or assignment token apart: the letter is the character before the first
// ":" (a blank, with an empty name, when there is none); the name runs from after the ":" and
// its blanks to the last "," or else the last ")"; the units from after the last "," and its
// blanks to the last ")". A part with no ")" after it runs to the end of the token.
VariableReference ParseVariableToken(std::wstring_view token);
