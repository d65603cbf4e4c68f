#pragma once
// Every token of an expression in reading order, each "if{" and "els{" token followed by the
// tokens of its block whatever the block's condition: the order in which the registration pass
// meets them. Tools walk expressions this way to show what the engine makes of each token.

#include "pages/gauge/expression/ExpressionScanner.h"
#include "pages/gauge/expression/ExpressionToken.h"

#include <cstddef>
#include <string_view>

// `visit` (token, ClassifiedToken, depth) is called for each token; `depth` counts the blocks the
// token lies in.
template <typename Visit>
void WalkTokens(const wchar_t* text, size_t length, Visit& visit, int depth = 0) {
    ExpressionScanner scanner(text, length);
    std::wstring_view token;
    while (scanner.Next(token)) {
        const ClassifiedToken classified = ClassifyToken(token);
        visit(token, classified, depth);
        if (classified.kind == TokenKind::If || classified.kind == TokenKind::Else) {
            const std::wstring_view block = BlockText(token);
            WalkTokens(block.data(), block.size(), visit, depth + 1);
        }
    }
}
