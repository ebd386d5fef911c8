#pragma once
// Text and value formatting shared by every module: the Windows-1252 ("ANSI") code page,
// OLE dates, the Format picture language, the leading-number rule and banker's rounding.
// Internal text is std::string holding 1252 bytes, one byte a character.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vt::text {

// ---- Windows-1252 <-> Unicode ----
// The code point of a 1252 byte. The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 controls of the same value, so every byte round-trips.
char32_t ansiToUnicode(unsigned char byte);
// The 1252 byte of a code point, or -1 when the code page has none.
int unicodeToAnsi(char32_t codePoint);
// UTF-8 <-> 1252 (for std::string edges such as file names and logs); unmappable -> '?'.
std::string ansiToUtf8(std::string_view ansi);
std::string utf8ToAnsi(std::string_view utf8);

// ---- Case and trimming (ASCII and 1252 letters) ----
std::string toUpper(std::string_view s);
std::string toLower(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string trim(std::string_view s);   // blanks only, as VB's Trim
std::string ltrim(std::string_view s);
std::string rtrim(std::string_view s);
// The pieces of `text` between occurrences of `separator`, as views into `text`, into `out`
// (cleared first); an empty separator leaves the text whole.
void split(std::string_view text, std::string_view separator, std::vector<std::string_view>& out);

// ---- Dates ----
struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    int millisecond = 0;
    bool operator==(const DateTime&) const = default;
};
bool isValidDate(int year, int month, int day);
// OLE date: days since 1899-12-30, the fraction the time of day. Before the epoch the
// fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
double toOleDate(const DateTime& dt);
// Rounded to the millisecond; NaN or a day outside 100-01-01 .. 9999-12-31 gives 1899-12-30.
DateTime fromOleDate(double oleDate);
int weekday(const DateTime& dt);   // 1 = Sunday ... 7 = Saturday

// ---- Rounding ----
// Rounds to `digits` decimals, an exact half to the even neighbour (VB's Round, CInt, CLng).
// The value is read as its 15-digit decimal, so 2.675 is a half (2.68) and 0.1 + 0.2 is 0.3.
double roundHalfEven(double value, int digits = 0);

// ---- Val ----
// The leading-number rule: blanks, tabs and line feeds anywhere are skipped; digits with one
// point and an exponent are read until the first other character; &H and &O prefixes are
// hexadecimal and octal. No number at all is 0.
double val(std::string_view s);

// ---- Format pictures ----
// Date and time pictures: d dd ddd dddd, m mm mmm mmmm (minutes after h or before s), y yy yyyy,
// h hh, n nn, s ss, AMPM / AM/PM / am/pm / A/P / a/p (12-hour clock), w, q, "/" and ":" literal,
// backslash escapes the next character, text in double quotes literal; letters are
// case-insensitive. Other characters literal. An empty picture gives the general date
// ("3/15/2024 9:45:12 PM"; the date alone at midnight, the time alone on 1899-12-30).
std::string formatDate(const DateTime& dt, std::string_view picture);
std::string formatDate(double oleDate, std::string_view picture);   // to the nearest second
// Number pictures: 0 a digit place filled with zero, # a digit place left out when empty,
// "," anywhere among the integer places groups thousands, "." the decimal point, "%" multiplies
// by 100, E+ E- e+ e- scientific, other characters literal; ";" separates the positive,
// negative, zero and Null sections. Rounding is half away from zero, as VB's Format; a negative
// value that rounds to zero loses its sign. An empty picture gives the general number ("0.5").
std::string formatNumber(double value, std::string_view picture);

}  // namespace vt::text
