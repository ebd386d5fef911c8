#pragma once
// Tokens to the syntax tree of one piece of script. Throws CompileError with VBScript's compile
// error numbers at the token in error; nesting beyond the limits is error 28 (Out of stack space).

#include "Ast.h"

#include <memory>

namespace vt::vbscript {

struct ParseLimits {
    int maxNesting = 200;          // nested blocks, parentheses and calls
    int maxOperators = 20000;      // operators in one statement (a long chain nests as deep)
};

std::unique_ptr<Unit> parseUnit(std::shared_ptr<const SourceText> source, const ParseLimits& limits);

// One expression making up the whole text (the host's Eval).
ExprPtr parseExpressionText(const SourceText& source, const ParseLimits& limits);

}  // namespace vt::vbscript
