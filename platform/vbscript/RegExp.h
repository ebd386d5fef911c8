#pragma once
// RegExp (New RegExp, CreateObject("VBScript.RegExp")) and the collections its Execute gives.
// Patterns are the JScript ones; they are translated to PCRE2 and run with its JIT under match
// and depth limits, so a pattern that would backtrack for ever fails with error 28 instead.
// Text is 1252 bytes, matched byte by byte; IgnoreCase folds every letter, accented ones too.

#include "platform/automation/Object.h"

#include <memory>
#include <string>
#include <vector>

namespace vt::vbscript {

namespace err {
inline constexpr std::int32_t RegExpSyntax = 5017;            // Syntax error in regular expression
inline constexpr std::int32_t RegExpQuantifier = 5018;        // Unexpected quantifier
inline constexpr std::int32_t RegExpBracket = 5019;           // Expected ']' in regular expression
inline constexpr std::int32_t RegExpParen = 5020;             // Expected ')' in regular expression
inline constexpr std::int32_t RegExpRange = 5021;             // Invalid range in character set
}  // namespace err

// The text of the regular-expression error numbers above ("" for any other).
std::string_view regExpErrorText(std::int32_t number);

class RegExp final : public automation::Dispatch<RegExp> {
public:
    RegExp();
    ~RegExp() override;
    static const automation::Members<RegExp>& members();

    std::string pattern;
    bool ignoreCase = false;
    bool global = false;
    bool multiline = false;

    bool test(const std::string& subject);
    std::string replace(const std::string& subject, const std::string& with);
    automation::Variant execute(const std::string& subject);

private:
    struct Compiled;
    // One match: the offsets of the whole match and of each group (npos when unset).
    struct Found {
        std::vector<std::size_t> spans;   // start, end pairs
    };
    Compiled& compiled();
    // The next match at or after `from`; false when none.
    bool find(const std::string& subject, std::size_t from, Found& out);
    // Every match the Global flag asks for.
    std::vector<Found> findAll(const std::string& subject);

    std::unique_ptr<Compiled> compiled_;
};

// Registers "VBScript.RegExp" with the class registry.
void registerRegExpClass();

}  // namespace vt::vbscript
