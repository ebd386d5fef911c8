#include "folders/PreviewEdit.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/RunError.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"
#include "platform/text/Text.h"

#include <array>

namespace vt::folders {

namespace {

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    out.reserve(s.size() + s.size() / 16);
    std::size_t start = 0;
    for (std::size_t at; (at = s.find(from, start)) != std::string_view::npos; start = at + from.size()) {
        out.append(s, start, at - start);
        out.append(to);
    }
    out.append(s, start, std::string_view::npos);
    return out;
}

// Upper case of every 1252 byte, taken once from the shared case rules.
const std::array<unsigned char, 256>& upperTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const std::string up = text::toUpper(std::string(1, char(c)));
            t[std::size_t(c)] = up.size() == 1 ? static_cast<unsigned char>(up[0]) : static_cast<unsigned char>(c);
        }
        return t;
    }();
    return table;
}

bool isWordChar(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return true;
    switch (c) {
    case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA: return true;
    case 0xD7: case 0xF7: return false;
    default: return c >= 0xC0;
    }
}

}  // namespace

std::string PreviewText(std::string_view tset, std::string_view segmentTerminator) {
    return replaceAll(tset, segmentTerminator, "\r\n");
}

std::string TSetFromPreview(std::string_view preview, std::string_view segmentTerminator) {
    return replaceAll(preview, "\r\n", segmentTerminator);
}

std::optional<TextMatch> FindWholeWord(std::string_view text, std::string_view word, std::size_t from) {
    if (word.empty() || word.size() > text.size()) return std::nullopt;
    const auto& up = upperTable();
    const unsigned char first = up[static_cast<unsigned char>(word[0])];
    for (std::size_t i = from; i + word.size() <= text.size(); ++i) {
        if (up[static_cast<unsigned char>(text[i])] != first) continue;
        std::size_t k = 1;
        while (k < word.size() &&
               up[static_cast<unsigned char>(text[i + k])] == up[static_cast<unsigned char>(word[k])])
            ++k;
        if (k != word.size()) continue;
        const bool startsWord = i == 0 || !isWordChar(static_cast<unsigned char>(text[i - 1]));
        const std::size_t end = i + word.size();
        const bool endsWord = end == text.size() || !isWordChar(static_cast<unsigned char>(text[end]));
        if (startsWord && endsWord) return TextMatch{i, word.size()};
    }
    return std::nullopt;
}

int LineOfOffset(std::string_view text, std::size_t offset) {
    int line = 0;
    const std::size_t end = offset < text.size() ? offset : text.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
        } else if (text[i] == '\r') {
            ++line;
            if (i + 1 < end && text[i + 1] == '\n') ++i;
        }
    }
    return line;
}

EditResult EditTransaction(const core::Services& s, const FolderSelection& list, std::string_view previewText,
                           bool edited) {
    if (RefuseWhileBusy(s)) return EditResult::Refused;
    if (edited && !Confirm(s, "WARNING: Saving changes can cause serious errors!", core::vbCritical))
        return EditResult::Declined;
    try {
        if (!list.current) throw core::RunError(91, "Object variable or With block variable not set");
        const std::string table(itemTable(list.table));
        auto row = s.db.prepare("SELECT Partner FROM \"" + table + "\" WHERE Id = ?1");
        row.bind(1, *list.current);
        if (!row.step()) throw core::noCurrentRecordError();
        const std::string partner = row.text(0);
        const std::string terminator = core::GetSegmentTerminator(s, partner);
        // Without its partner's terminator the set would be stored as one run-on line.
        if (terminator.empty()) throw core::RunError(3021, "Trading partner not found: " + partner);

        auto update = s.db.prepare("UPDATE \"" + table + "\" SET TSet = ?1 WHERE Id = ?2");
        update.bindAll(TSetFromPreview(previewText, terminator), *list.current);
        update.run();
        return EditResult::Saved;
    } catch (...) {
        core::ReportError(s);
        return EditResult::Failed;
    }
}

std::optional<TextMatch> FindInPreview(const core::Services& s, std::string_view previewText,
                                       const std::function<void(const TextMatch&)>& select) {
    const auto answer = s.ui.inputBox("Find What:", "Find", "");
    if (!answer || answer->empty()) return std::nullopt;
    const auto hit = FindWholeWord(previewText, *answer);
    if (!hit) {
        core::ShowNotice(s, "Not found.", core::vbOKOnly);
        return std::nullopt;
    }
    if (select) select(*hit);
    core::ShowNotice(s, "Found on Segment " + std::to_string(LineOfOffset(previewText, hit->offset) + 1),
                     core::vbOKOnly);
    return hit;
}

}  // namespace vt::folders
