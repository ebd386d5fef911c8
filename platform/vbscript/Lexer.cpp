#include "Lexer.h"

#include "Errors.h"

#include "platform/text/Text.h"

#include <charconv>
#include <cmath>
#include <unordered_map>

namespace vt::vbscript {

using automation::Variant;

SourceText::SourceText(std::string text) : text_(std::move(text)) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
        if (c == '\r' || c == '\n') starts_.push_back(std::uint32_t(i + 1));
    }
}

std::string_view SourceText::line(int line) const {
    if (line < 1 || line > int(starts_.size())) return {};
    const std::size_t begin = starts_[std::size_t(line - 1)];
    std::size_t end = begin;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    return std::string_view(text_).substr(begin, end - begin);
}

bool isContextualKeyword(Kw kw) noexcept {
    switch (kw) {
    case Kw::Default: case Kw::Error: case Kw::Explicit: case Kw::Step: case Kw::Property:
    case Kw::Get: case Kw::Let: case Kw::Preserve: case Kw::Resume: case Kw::GoTo: case Kw::Erase:
        return true;
    default:
        return false;
    }
}

namespace {

Kw keywordOf(std::string_view word) {
    static const std::unordered_map<std::string, Kw> words = {
        {"and", Kw::And}, {"byref", Kw::ByRef}, {"byval", Kw::ByVal}, {"call", Kw::Call},
        {"case", Kw::Case}, {"class", Kw::Class}, {"const", Kw::Const}, {"default", Kw::Default},
        {"dim", Kw::Dim}, {"do", Kw::Do}, {"each", Kw::Each}, {"else", Kw::Else},
        {"elseif", Kw::ElseIf}, {"empty", Kw::Empty}, {"end", Kw::End}, {"eqv", Kw::Eqv},
        {"erase", Kw::Erase}, {"error", Kw::Error}, {"exit", Kw::Exit}, {"explicit", Kw::Explicit},
        {"false", Kw::False}, {"for", Kw::For}, {"function", Kw::Function}, {"get", Kw::Get},
        {"goto", Kw::GoTo}, {"if", Kw::If}, {"imp", Kw::Imp}, {"in", Kw::In}, {"is", Kw::Is},
        {"let", Kw::Let}, {"loop", Kw::Loop}, {"me", Kw::Me}, {"mod", Kw::Mod}, {"new", Kw::New},
        {"next", Kw::Next}, {"not", Kw::Not}, {"nothing", Kw::Nothing}, {"null", Kw::Null},
        {"on", Kw::On}, {"option", Kw::Option}, {"or", Kw::Or}, {"preserve", Kw::Preserve},
        {"private", Kw::Private}, {"property", Kw::Property}, {"public", Kw::Public},
        {"redim", Kw::ReDim}, {"rem", Kw::Rem}, {"resume", Kw::Resume}, {"select", Kw::Select},
        {"set", Kw::Set}, {"step", Kw::Step}, {"stop", Kw::Stop}, {"sub", Kw::Sub},
        {"then", Kw::Then}, {"to", Kw::To}, {"true", Kw::True}, {"until", Kw::Until},
        {"wend", Kw::Wend}, {"while", Kw::While}, {"with", Kw::With}, {"xor", Kw::Xor},
    };
    if (word.size() > 8) return Kw::None;
    auto it = words.find(text::toLower(word));
    return it == words.end() ? Kw::None : it->second;
}

bool isLetter(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    // Letters of code page 1252.
    if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
    switch (c) {
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA:
        return true;
    default:
        return false;
    }
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentChar(char c) { return isLetter(static_cast<unsigned char>(c)) || isDigit(c) || c == '_'; }
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Lexer {
public:
    explicit Lexer(const SourceText& src) : s_(src.text()) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        out.reserve(s_.size() / 3 + 4);
        bool space = false;
        bool joined = false;
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == ' ' || c == '\t' || c == '\v' || c == '\f') {
                ++pos_;
                space = true;
                continue;
            }
            if (c == '\r' || c == '\n') {
                push(out, Tok::Newline, space);
                newline();
                space = false;
                continue;
            }
            if (c == '\'') {
                skipComment();
                continue;
            }
            if (c == '_' && continuationAhead()) {
                space = true;
                joined = true;
                continue;
            }
            const int col = column();
            Token t;
            t.spaceBefore = space;
            t.joined = joined;
            joined = false;
            t.line = line_;
            t.column = col;
            space = false;
            if (isLetter(static_cast<unsigned char>(c))) {
                const std::size_t b = pos_;
                while (pos_ < s_.size() && isIdentChar(s_[pos_])) ++pos_;
                if (pos_ - b > 255) throw CompileError(err::IdentifierTooLong, line_, col);
                t.type = Tok::Ident;
                t.text = s_.substr(b, pos_ - b);
                const bool afterDot = !out.empty() && out.back().type == Tok::Dot && !t.spaceBefore;
                t.kw = afterDot ? Kw::None : keywordOf(t.text);
                if (t.kw == Kw::Rem) {
                    skipComment();
                    continue;
                }
                out.push_back(std::move(t));
                continue;
            }
            // ".5" is a number even right after a name: "obj.Check.5" is a member and a number.
            if (isDigit(c) || (c == '.' && pos_ + 1 < s_.size() && isDigit(s_[pos_ + 1]))) {
                number(t);
                out.push_back(std::move(t));
                continue;
            }
            ++pos_;
            switch (c) {
            case '"': t.type = Tok::String; t.text = stringBody(col); break;
            case '#': t.type = Tok::Date; t.value = dateBody(col); break;
            case '[': t.type = Tok::Ident; t.text = bracketName(col); break;
            case '&':
                if (pos_ < s_.size() && (s_[pos_] == 'h' || s_[pos_] == 'H') && pos_ + 1 < s_.size() &&
                    hexValue(s_[pos_ + 1]) >= 0) {
                    ++pos_;
                    t.type = Tok::Number;
                    t.value = radixNumber(16, col);
                } else if (pos_ < s_.size() && (s_[pos_] == 'o' || s_[pos_] == 'O') && pos_ + 1 < s_.size() &&
                           s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '7') {
                    ++pos_;
                    t.type = Tok::Number;
                    t.value = radixNumber(8, col);
                } else if (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '7') {
                    // "&17" is octal too.
                    t.type = Tok::Number;
                    t.value = radixNumber(8, col);
                } else {
                    t.type = Tok::Amp;
                }
                break;
            case '(': t.type = Tok::LParen; break;
            case ')': t.type = Tok::RParen; break;
            case ',': t.type = Tok::Comma; break;
            case '.': t.type = Tok::Dot; break;
            case ':': t.type = Tok::Colon; break;
            case '+': t.type = Tok::Plus; break;
            case '-': t.type = Tok::Minus; break;
            case '*': t.type = Tok::Star; break;
            case '/': t.type = Tok::Slash; break;
            case '\\': t.type = Tok::Backslash; break;
            case '^': t.type = Tok::Caret; break;
            case '=':
                if (accept('<')) t.type = Tok::Le;
                else if (accept('>')) t.type = Tok::Ge;
                else t.type = Tok::Eq;
                break;
            case '<':
                if (accept('>')) t.type = Tok::Ne;
                else if (accept('=')) t.type = Tok::Le;
                else t.type = Tok::Lt;
                break;
            case '>':
                if (accept('<')) t.type = Tok::Ne;
                else if (accept('=')) t.type = Tok::Ge;
                else t.type = Tok::Gt;
                break;
            default:
                throw CompileError(err::InvalidCharacter, line_, col);
            }
            out.push_back(std::move(t));
        }
        Token eof;
        eof.type = Tok::Eof;
        eof.line = line_;
        eof.column = column();
        out.push_back(std::move(eof));
        return out;
    }

private:
    int column() const { return int(pos_ - lineStart_); }

    void push(std::vector<Token>& out, Tok type, bool space) {
        Token t;
        t.type = type;
        t.spaceBefore = space;
        t.line = line_;
        t.column = column();
        out.push_back(std::move(t));
    }

    void newline() {
        if (s_[pos_] == '\r' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
        ++line_;
        lineStart_ = pos_;
    }

    bool accept(char c) {
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void skipComment() {
        while (pos_ < s_.size() && s_[pos_] != '\r' && s_[pos_] != '\n') ++pos_;
    }

    // "_" followed by blanks and a line end joins the next line to this one.
    bool continuationAhead() {
        std::size_t p = pos_ + 1;
        while (p < s_.size() && (s_[p] == ' ' || s_[p] == '\t')) ++p;
        if (p < s_.size() && s_[p] != '\r' && s_[p] != '\n') return false;
        pos_ = p;
        if (pos_ < s_.size()) newline();
        return true;
    }

    std::string stringBody(int col) {
        std::string out;
        for (;;) {
            if (pos_ >= s_.size() || s_[pos_] == '\r' || s_[pos_] == '\n')
                throw CompileError(err::UnterminatedString, line_, col);
            const char c = s_[pos_++];
            if (c == '"') {
                if (pos_ < s_.size() && s_[pos_] == '"') {
                    out += '"';
                    ++pos_;
                    continue;
                }
                return out;
            }
            out += c;
        }
    }

    Variant dateBody(int col) {
        const std::size_t b = pos_;
        while (pos_ < s_.size() && s_[pos_] != '#' && s_[pos_] != '\r' && s_[pos_] != '\n') ++pos_;
        if (pos_ >= s_.size() || s_[pos_] != '#') throw CompileError(err::SyntaxError, line_, col);
        const std::string body = s_.substr(b, pos_ - b);
        ++pos_;
        const auto d = automation::parseDate(body);
        if (!d) throw CompileError(err::SyntaxError, line_, col);
        return Variant(automation::Date{*d});
    }

    std::string bracketName(int col) {
        const std::size_t b = pos_;
        while (pos_ < s_.size() && s_[pos_] != ']' && s_[pos_] != '\r' && s_[pos_] != '\n') ++pos_;
        if (pos_ >= s_.size() || s_[pos_] != ']') throw CompileError(err::ExpectedRBracket, line_, col);
        std::string name = s_.substr(b, pos_ - b);
        ++pos_;
        if (name.size() > 255) throw CompileError(err::IdentifierTooLong, line_, col);
        return name;
    }

    void number(Token& t) {
        const int col = column();
        const std::size_t b = pos_;
        bool isFloat = false;
        while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            isFloat = true;
            ++pos_;
            while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t p = pos_ + 1;
            if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
            if (p < s_.size() && isDigit(s_[p])) {
                isFloat = true;
                pos_ = p;
                while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
            }
        }
        const std::string_view body(s_.data() + b, pos_ - b);
        t.type = Tok::Number;
        if (!isFloat) {
            std::int64_t v = 0;
            const auto r = std::from_chars(body.data(), body.data() + body.size(), v);
            if (r.ec == std::errc() && v <= std::int64_t(INT32_MAX)) {
                t.value = Variant::integerLiteral(v);
                return;
            }
        }
        double d = 0;
        const auto r = std::from_chars(body.data(), body.data() + body.size(), d);
        if (r.ec == std::errc::result_out_of_range) {
            // A tiny value underflows to zero; a huge one is not a number.
            const std::size_t e = body.find_first_of("eE");
            if (e == std::string_view::npos || e + 1 >= body.size() || body[e + 1] != '-')
                throw CompileError(err::InvalidNumber, line_, col);
            d = 0;
        } else if (r.ec != std::errc() || !std::isfinite(d)) {
            throw CompileError(err::InvalidNumber, line_, col);
        }
        t.value = Variant(d);
    }

    // &H and &O literals: up to 32 bits; without a trailing "&" a value of 16 bits or fewer
    // is a 16-bit Integer (&HFFFF is -1), otherwise a 32-bit Long.
    Variant radixNumber(int radix, int col) {
        std::uint64_t v = 0;
        while (pos_ < s_.size()) {
            const int d = hexValue(s_[pos_]);
            if (d < 0 || d >= radix) break;
            v = v * std::uint64_t(radix) + std::uint64_t(d);
            if (v > 0xFFFFFFFFull) throw CompileError(err::SyntaxError, line_, col);
            ++pos_;
        }
        // An octal literal running into an 8 or a 9 ("&19") is malformed, not two numbers.
        if (radix == 8 && pos_ < s_.size() && isDigit(s_[pos_])) throw CompileError(err::SyntaxError, line_, col);
        const bool longSuffix = accept('&');
        std::int64_t value;
        if (!longSuffix && v <= 0xFFFF) value = std::int16_t(std::uint16_t(v));
        else value = std::int32_t(std::uint32_t(v));
        return Variant::integerLiteral(value);
    }

    const std::string& s_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    int line_ = 1;
};

}  // namespace

std::vector<Token> tokenize(const SourceText& source) { return Lexer(source).run(); }

}  // namespace vt::vbscript
