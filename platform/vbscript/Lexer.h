#pragma once
// Source text to tokens. Line continuations (" _" at a line end) and comments (' and Rem) are
// consumed here; statement separators (line ends and ":") become tokens.

#include "platform/automation/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vt::vbscript {

// The text of one compiled piece of script, kept for the line text of error reports.
class SourceText {
public:
    explicit SourceText(std::string text);
    const std::string& text() const noexcept { return text_; }
    // Line `line` (1-based) without its line end; empty outside the text.
    std::string_view line(int line) const;
    int lineCount() const noexcept { return int(starts_.size()); }

private:
    std::string text_;
    std::vector<std::uint32_t> starts_;
};

enum class Tok : std::uint8_t {
    Eof, Newline, Colon,
    Ident,    // identifiers and keywords; `kw` tells which keyword
    Number, String, Date,
    LParen, RParen, Comma, Dot,
    Eq, Ne, Lt, Gt, Le, Ge,
    Plus, Minus, Star, Slash, Backslash, Caret, Amp,
};

enum class Kw : std::uint8_t {
    None,
    And, ByRef, ByVal, Call, Case, Class, Const, Default, Dim, Do, Each, Else, ElseIf, Empty, End,
    Eqv, Erase, Error, Exit, Explicit, False, For, Function, Get, GoTo, If, Imp, In, Is, Let, Loop,
    Me, Mod, New, Next, Not, Nothing, Null, On, Option, Or, Preserve, Private, Property, Public,
    ReDim, Rem, Resume, Select, Set, Step, Stop, Sub, Then, To, True, Until, Wend, While, With, Xor,
};

// Keywords that may still name a variable or procedure (Default, Erase, Error, Explicit, Step, ...).
bool isContextualKeyword(Kw kw) noexcept;

struct Token {
    Tok type = Tok::Eof;
    Kw kw = Kw::None;
    bool spaceBefore = false;
    bool joined = false;   // first token after a line continuation
    int line = 1;      // 1-based
    int column = 0;    // 0-based
    std::string text;  // identifier spelling or string contents
    automation::Variant value;   // Number and Date literals

    bool is(Kw k) const noexcept { return type == Tok::Ident && kw == k; }
    // An identifier usable as a name: not a keyword, or a contextual one.
    bool isName() const noexcept { return type == Tok::Ident && (kw == Kw::None || isContextualKeyword(kw)); }
    bool endsStatement() const noexcept { return type == Tok::Newline || type == Tok::Colon || type == Tok::Eof; }
};

// Throws CompileError (1030, 1031, 1032, 1033) at the offending character.
std::vector<Token> tokenize(const SourceText& source);

}  // namespace vt::vbscript
