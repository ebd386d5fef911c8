#include "IniText.h"

#include "platform/text/AnsiQt.h"

#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace vt::ini {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QStringView trimmed(QStringView s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin])) ++begin;
    while (end > begin && isBlank(s[end - 1])) --end;
    return s.sliced(begin, end - begin);
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

QString decodeLine(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return text::fromAnsi(std::string_view(bytes.data(), std::size_t(bytes.size())));
}

// "%XX" and "%UXXXX" stand for one character, "\" for "/".
QString unescapeName(QStringView s) {
    QString out;
    for (qsizetype i = 0; i < s.size();) {
        const QChar c = s[i];
        if (c == u'\\') {
            out += u'/';
            ++i;
            continue;
        }
        if (c == u'%') {
            const bool wide = i + 1 < s.size() && s[i + 1] == u'U';
            const qsizetype first = i + (wide ? 2 : 1), digits = wide ? 4 : 2;
            bool ok = first + digits <= s.size();
            int value = 0;
            for (qsizetype k = 0; ok && k < digits; ++k) {
                const int h = hexValue(s[first + k]);
                ok = h >= 0;
                value = value * 16 + h;
            }
            if (ok) {
                out += QChar(char16_t(value));
                i = first + digits;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

// Empty parts of a name are dropped, as the store drops them.
QString normalized(QStringView name) {
    QString out;
    for (QStringView part : name.split(u'/', Qt::SkipEmptyParts)) {
        if (!out.isEmpty()) out += u'/';
        out += part;
    }
    return out;
}

void appendCode(QString& out, char32_t code) {
    if (code > 0x10FFFF) code = 0xFFFD;
    if (code >= 0x10000) {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
    } else {
        out += QChar(char16_t(code));
    }
}

// Where the quote opened at `open` closes on its line; -1 when it does not.
qsizetype closingQuote(QStringView s, qsizetype open) {
    for (qsizetype i = open + 1; i < s.size(); ++i) {
        if (s[i] == u'\\') ++i;
        else if (s[i] == u'"') return i;
    }
    return -1;
}

// The value after "=": quotes keep blanks and ";" (which otherwise starts a comment), backslash
// escapes as the writer makes them (and "\;", "\,"), anything else as written. Nothing for a value
// that stands for no value at all.
std::optional<QString> unescapeValue(QStringView s) {
    static constexpr std::pair<char16_t, char16_t> kEscapes[] = {
        {'a', '\a'}, {'b', '\b'}, {'f', '\f'},  {'n', '\n'},  {'r', '\r'},  {'t', '\t'},
        {'v', '\v'}, {'"', '"'},  {'?', '?'},   {'\'', '\''}, {'\\', '\\'}, {';', ';'}, {',', ','},
    };
    s = trimmed(s);
    QString out;
    qsizetype kept = 0;      // what stands before this was quoted or escaped: no trailing blank
    qsizetype closing = -1;  // the open quote's end
    for (qsizetype i = 0; i < s.size();) {
        const QChar c = s[i];
        if (i == closing) {
            closing = -1;
            kept = out.size();
            ++i;
            continue;
        }
        if (c == u'\\' && i + 1 < s.size()) {
            const char16_t e = s[i + 1].unicode();
            const auto simple = std::find_if(std::begin(kEscapes), std::end(kEscapes), [e](auto p) { return p.first == e; });
            if (simple != std::end(kEscapes)) {
                out += QChar(simple->second);
                i += 2;
                kept = out.size();
                continue;
            }
            const bool hex = e == 'x' && i + 2 < s.size() && hexValue(s[i + 2]) >= 0;
            if (hex || (e >= '0' && e <= '7')) {
                const int base = hex ? 16 : 8;
                qsizetype j = i + (hex ? 2 : 1);
                char32_t code = 0;
                for (; j < s.size(); ++j) {
                    const int digit = hexValue(s[j]);
                    if (digit < 0 || digit >= base) break;
                    code = std::min<char32_t>(code * base + char32_t(digit), 0x110000);
                }
                appendCode(out, code);
                i = j;
                kept = out.size();
                continue;
            }
        }
        if (c == u'"' && closing < 0) {
            closing = closingQuote(s, i);
            if (closing >= 0) {
                ++i;
                continue;
            }
        } else if (c == u';' && closing < 0) {
            break;   // the rest of the line is a comment
        }
        out += c;
        ++i;
    }
    while (out.size() > kept && isBlank(out.back())) out.chop(1);
    if (out.startsWith(u'@')) {
        if (out.startsWith(u"@@")) return out.mid(1);
        if (out == u"@Invalid()") return std::nullopt;
        for (QStringView wrapper : {QStringView(u"@String("), QStringView(u"@ByteArray(")})
            if (out.startsWith(wrapper) && out.endsWith(u')')) return out.mid(wrapper.size(), out.size() - wrapper.size() - 1);
    }
    return out;
}

void escapeName(QStringView s, QByteArray& out) {
    static const char hex[] = "0123456789ABCDEF";
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u == '/') {
            out += '\\';
        } else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '-' ||
                   u == '.') {
            out += char(u);
        } else if (u <= 0xFF) {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) out += hex[(u >> shift) & 15];
        }
    }
}

void escapeValue(const QString& value, QByteArray& out) {
    const QString s = value.startsWith(u'@') ? u'@' + value : value;
    const qsizetype start = out.size();
    bool quote = false, escapeHexDigit = false;
    auto hexEscape = [&](char16_t u) {
        out += "\\x" + QByteArray::number(u, 16);
        escapeHexDigit = true;   // a digit after it would be read as part of it
    };
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u == ';' || u == ',' || u == '=') quote = true;
        if (escapeHexDigit && hexValue(s[i]) >= 0) {
            hexEscape(u);
            continue;
        }
        escapeHexDigit = false;
        switch (u) {
        case 0: out += "\\0"; escapeHexDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += char(u);
            break;
        default:
            if (u < 0x20 || u == 0xFEFF) {
                hexEscape(u);   // a reader may drop a byte-order mark it meets
            } else if (u < 0x80) {
                out += char(u);
            } else if (QChar::isHighSurrogate(u) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                out += QStringView(s).sliced(i, 2).toUtf8();
                ++i;
            } else if (QChar::isSurrogate(u)) {
                hexEscape(u);   // half a pair has no UTF-8
            } else {
                out += QString(QChar(u)).toUtf8();
            }
        }
    }
    if (quote || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

}  // namespace

Entries read(QByteArrayView text) {
    if (text.startsWith("\xEF\xBB\xBF")) text = text.sliced(3);
    Entries out;
    QString section;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = at;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        const QString decoded = decodeLine(text.sliced(at, end - at));
        at = end + 1;
        const QStringView line = trimmed(decoded);
        if (line.isEmpty() || line[0] == u';' || line[0] == u'#') continue;
        if (line[0] == u'[') {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = trimmed(line.sliced(1, (close < 0 ? line.size() : close) - 1));
            if (name.compare(u"general", Qt::CaseInsensitive) == 0) section.clear();
            else if (name.startsWith(u'%') && name.sliced(1).compare(u"general", Qt::CaseInsensitive) == 0)
                section = name.sliced(1).toString();
            else section = normalized(unescapeName(name));
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        const QString key = normalized(unescapeName(trimmed(line.first(equals))));
        if (key.isEmpty()) continue;
        std::optional<QString> value = unescapeValue(line.sliced(equals + 1));
        if (!value) continue;
        out.insert(section.isEmpty() ? key : section + u'/' + key, *value);
    }
    return out;
}

QByteArray write(const Entries& entries) {
    // Names without a section go under [General], which is written first.
    std::map<QString, std::vector<std::pair<QString, QString>>> sections;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        sections[slash < 0 ? QString() : it.key().left(slash)].emplace_back(slash < 0 ? it.key() : it.key().mid(slash + 1),
                                                                           it.value().toString());
    }
    QByteArray out;
    for (const auto& [section, settings] : sections) {
        if (!out.isEmpty()) out += '\n';
        if (section.isEmpty()) {
            out += "[General]";
        } else if (section.compare(u"general", Qt::CaseInsensitive) == 0) {
            out += "[%" + section.toLatin1() + ']';
        } else {
            out += '[';
            escapeName(section, out);
            out += ']';
        }
        out += '\n';
        for (const auto& [key, value] : settings) {
            escapeName(key, out);
            out += '=';
            escapeValue(value, out);
            out += '\n';
        }
    }
    return out;
}

QString lostSetting(const Entries& entries, QByteArrayView text) {
    const Entries back = read(text);
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        const auto found = back.constFind(it.key());
        if (it.value().typeId() != QMetaType::QString || found == back.constEnd() || *found != it.value()) return it.key();
    }
    return {};
}

}  // namespace vt::ini
