#include "WordDocument.h"

#include "CompoundFile.h"

#include <algorithm>

namespace vt::report::detail {

namespace {

constexpr std::uint32_t kTextStart = 0x400;   // where the text starts in the document stream
constexpr size_t kPage = 512;                 // formatting pages

// A value as paragraph text: a line break inside it is a manual line break, a tab or another
// control character a blank, so that fields stay apart by the tabs between them.
std::string paragraphText(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
        if (c == '\r' || c == '\n') out += '\x0B';
        else if (c < 0x20) out += ' ';
        else out += char(c);
    }
    return out;
}

// Character formatting: the title bold, the rest as the style has it.
std::string characterPage(std::uint32_t textEnd, std::uint32_t titleEnd) {
    std::string page(kPage, '\0');
    Bytes runs;
    std::vector<std::uint32_t> bounds{kTextStart};
    if (titleEnd > kTextStart) bounds.push_back(titleEnd);
    if (bounds.back() != textEnd) bounds.push_back(textEnd);
    for (auto fc : bounds) runs.u32(fc);
    const size_t count = bounds.size() - 1;
    constexpr size_t kBold = 496;   // the one set of properties: bold on
    for (size_t i = 0; i < count; ++i) runs.u8(i == 0 && titleEnd > kTextStart ? kBold / 2 : 0);
    page.replace(0, runs.b.size(), runs.b);
    page.replace(kBold, 4, std::string("\x03\x35\x08\x01", 4));
    page[kPage - 1] = char(count);
    return page;
}

// Paragraph formatting: every paragraph in the Normal style, as many as fit a page.
constexpr size_t kParagraphsPerPage = 29;
std::string paragraphPage(const std::vector<std::uint32_t>& bounds, size_t first, size_t count) {
    std::string page(kPage, '\0');
    Bytes runs;
    for (size_t i = 0; i <= count; ++i) runs.u32(bounds[first + i]);
    constexpr size_t kNormal = 506;   // cb 0, cb' 1, style 0
    for (size_t i = 0; i < count; ++i) {
        runs.u8(kNormal / 2);
        runs.b.append(12, '\0');
    }
    page.replace(0, runs.b.size(), runs.b);
    page.replace(kNormal, 4, std::string("\x00\x01\x00\x00", 4));
    page[kPage - 1] = char(count);
    return page;
}

// One paragraph style, Normal, on the first font.
std::string styleSheet() {
    Bytes std;
    std.u16(0x0000);   // sti 0 (Normal)
    std.u16(0xFFF1);   // paragraph style, based on none
    std.u16(0x0002);   // two property sets, next style Normal
    std.u16(32);
    std.u16(0);
    std.u16(6);
    for (char16_t c : std::u16string_view(u"Normal")) std.u16(c);
    std.u16(0);
    std.u16(2);   // paragraph properties: style 0
    std.u16(0);
    std.u16(0);   // no character properties
    Bytes s;
    s.u16(18);
    for (unsigned v : {1u, 10u, 1u, 0x5Bu, 0x0Fu, 0u, 0u, 0u, 0u}) s.u16(v);
    s.u16(unsigned(std.b.size()));
    s.raw(std.b);
    return std::move(s.b);
}

std::string fontTable() {
    Bytes f;
    f.u16(1);
    f.u16(0);
    const std::u16string_view name = u"Arial";
    f.u8(unsigned(40 + (name.size() + 1) * 2 - 1));
    f.u8(0x26);   // variable pitch, TrueType, swiss
    f.u16(400);
    f.u8(0);      // ANSI
    f.u8(0);
    f.b.append(10 + 24, '\0');
    for (char16_t c : name) f.u16(c);
    f.u16(0);
    return std::move(f.b);
}

}  // namespace

std::string writeWordDocument(const ExportTable& t) {
    // The text: paragraphs ending in a paragraph mark.
    std::string text;
    std::vector<std::uint32_t> paragraphs{kTextStart};   // where each paragraph starts, then the end
    auto endParagraph = [&] {
        text += '\r';
        paragraphs.push_back(kTextStart + std::uint32_t(text.size()));
    };
    if (!t.title.empty()) {
        text += paragraphText(t.title);
        endParagraph();
    }
    const std::uint32_t titleEnd = kTextStart + std::uint32_t(text.size());
    for (size_t c = 0; c < t.columns.size(); ++c) {
        if (c) text += '\t';
        text += paragraphText(t.columns[c].caption);
    }
    endParagraph();
    for (size_t r = 0; r < t.order.size(); ++r) {
        for (size_t c = 0; c < t.columns.size(); ++c) {
            if (c) text += '\t';
            text += paragraphText(t.text(c, r));
        }
        endParagraph();
    }
    const std::uint32_t textEnd = kTextStart + std::uint32_t(text.size());

    // The document stream: the file information block, the text, then the formatting pages.
    std::string doc(kTextStart, '\0');
    doc += text;
    doc.resize((doc.size() + kPage - 1) / kPage * kPage, '\0');
    const std::uint32_t characterPn = std::uint32_t(doc.size() / kPage);
    doc += characterPage(textEnd, titleEnd);
    std::vector<std::uint32_t> paragraphFcs, paragraphPns;
    for (size_t first = 0; first + 1 < paragraphs.size(); first += kParagraphsPerPage) {
        const size_t count = std::min(kParagraphsPerPage, paragraphs.size() - 1 - first);
        paragraphFcs.push_back(paragraphs[first]);
        paragraphPns.push_back(std::uint32_t(doc.size() / kPage));
        doc += paragraphPage(paragraphs, first, count);
    }
    paragraphFcs.push_back(textEnd);

    // The table stream.
    Bytes table;
    struct Place {
        std::uint32_t fc = 0, lcb = 0;
    };
    auto put = [&](std::string_view bytes) {
        Place p{std::uint32_t(table.b.size()), std::uint32_t(bytes.size())};
        table.raw(bytes);
        return p;
    };
    const Place styles = put(styleSheet());
    Bytes plc;
    plc.u32(kTextStart);
    plc.u32(textEnd);
    plc.u32(characterPn);
    const Place characters = put(plc.b);
    plc.b.clear();
    for (auto fc : paragraphFcs) plc.u32(fc);
    for (auto pn : paragraphPns) plc.u32(pn);
    const Place paras = put(plc.b);
    plc.b.clear();
    plc.u32(0);
    plc.u32(std::uint32_t(text.size()));
    plc.u16(0);
    plc.u32(0xFFFFFFFF);   // the section keeps every default
    plc.u16(0);
    plc.u32(0xFFFFFFFF);
    const Place sections = put(plc.b);
    const Place fonts = put(fontTable());
    plc.b.clear();
    plc.u8(0x02);   // the piece table: all text in one piece of 8-bit characters
    plc.u32(16);
    plc.u32(0);
    plc.u32(std::uint32_t(text.size()));
    plc.u16(0);
    plc.u32((kTextStart * 2) | 0x40000000);
    plc.u16(0);
    const Place pieces = put(plc.b);

    Bytes fib;
    fib.u16(0xA5EC);
    fib.u16(0x00C1);
    fib.u16(0);
    fib.u16(0x0409);
    fib.u16(0);
    fib.u16(0x1200);   // the table stream is "1Table"; extended characters
    fib.u16(0x00BF);
    fib.u32(0);
    fib.u8(0);
    fib.u8(0);
    fib.b.append(12, '\0');
    fib.u16(14);
    fib.b.append(28, '\0');
    fib.u16(22);
    std::vector<std::uint32_t> longs(22, 0);
    longs[0] = std::uint32_t(doc.size());   // cbMac
    longs[3] = std::uint32_t(text.size());  // ccpText
    for (auto v : longs) fib.u32(v);
    fib.u16(93);
    std::vector<Place> places(93);
    places[0] = places[1] = styles;
    places[6] = sections;
    places[12] = characters;
    places[13] = paras;
    places[15] = fonts;
    places[33] = pieces;
    for (const Place& p : places) {
        fib.u32(p.fc);
        fib.u32(p.lcb);
    }
    fib.u16(0);
    doc.replace(0, fib.b.size(), fib.b);
    return compoundFile({{u"WordDocument", std::move(doc)}, {u"1Table", std::move(table.b)}});
}

}  // namespace vt::report::detail
