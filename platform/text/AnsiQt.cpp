#include "AnsiQt.h"

#include "Text.h"

namespace vt::text {

QString fromAnsi(std::string_view ansi) {
    QString out;
    out.reserve(qsizetype(ansi.size()));
    for (char ch : ansi) out += QChar(char16_t(ansiToUnicode(static_cast<unsigned char>(ch))));
    return out;
}

std::string toAnsi(const QString& s) {
    std::string out;
    out.reserve(size_t(s.size()));
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        // A character outside the BMP is one character, so one '?' for the pair.
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out += '?';
            ++i;
            continue;
        }
        const int b = c.isSurrogate() ? -1 : unicodeToAnsi(c.unicode());
        out += b < 0 ? '?' : char(b);
    }
    return out;
}

}  // namespace vt::text
