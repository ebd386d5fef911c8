#include "InterchangeReader.h"

#include "EnvelopeTables.h"
#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Registry.h"
#include "core/UiSink.h"
#include "platform/db/Database.h"
#include "platform/text/Clock.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <memory>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt::folders {

namespace {

bool gReading = false;

// A check that failed: its message is the read's result.
struct Refusal {
    std::string message;
};

const char* const kMissingElement = "Missing: Expected Segment or Element";

[[noreturn]] void refuse(std::string message) { throw Refusal{std::move(message)}; }

// How often `c` occurs in `hay`, eight bytes at a time: each byte of a word that equals c leaves
// a 1 in its byte of the mask, and the multiplication adds the eight up into the top byte.
size_t countByte(std::string_view hay, unsigned char c);

// The whole file in storage that is not filled first (the read fills it). Read, not mapped: a
// file cut short by another program while it is read must not stop the process. On the way,
// while each piece is still in the cache, the bytes equal to the one after the ISA segment (the
// segment terminator, when it is one character) are counted.
class FileText {
public:
    explicit FileText(const std::filesystem::path& file) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_size > 0) {
            const size_t want = static_cast<size_t>(st.st_size);
            data_.reset(new char[want]);
            size_t counted = 0;
            while (size_ < want) {
                const ssize_t n = ::read(fd, data_.get() + size_, std::min<size_t>(want - size_, kPiece));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                size_ += static_cast<size_t>(n);
                if (!tallied_ && size_ >= 106) tallied_ = static_cast<unsigned char>(data_[105]);
                if (tallied_) {
                    tally_ += countByte(std::string_view(data_.get() + counted, size_ - counted), *tallied_);
                    counted = size_;
                }
            }
        }
        ::close(fd);
    }
    std::string_view view() const { return {data_.get(), size_}; }
    // How often `c` occurs in the file, when it was counted on the way.
    std::optional<size_t> tally(unsigned char c) const {
        if (tallied_ != c) return std::nullopt;
        return tally_;
    }

private:
    static constexpr size_t kPiece = 256 * 1024;
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    std::optional<unsigned char> tallied_;
    size_t tally_ = 0;
};

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

std::uint64_t word(std::string_view hay, size_t i) {
    std::uint64_t w;
    std::memcpy(&w, hay.data() + i, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    return w;
}

// The high bit of every byte of w that is zero, and no other bit (exact, no carries).
std::uint64_t zeroBytes(std::uint64_t w) { return ~(((w & ~kHigh) + ~kHigh) | w) & kHigh; }

[[gnu::always_inline]] inline size_t findByte(std::string_view hay, size_t i, unsigned char c) {
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(c));
    for (; i + 16 <= hay.size(); i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay.data() + i));
        if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, pattern)))
            return i + size_t(std::countr_zero(static_cast<unsigned>(mask)));
    }
#endif
    for (; i + 8 <= hay.size(); i += 8)
        if (const std::uint64_t z = zeroBytes(word(hay, i) ^ (kOnes * c))) return i + size_t(std::countr_zero(z) / 8);
    for (; i < hay.size(); ++i)
        if (static_cast<unsigned char>(hay[i]) == c) return i;
    return std::string_view::npos;
}

size_t countByte(std::string_view hay, unsigned char c) {
    size_t n = 0, i = 0;
#if defined(__SSE2__)
    // Sixteen byte counters, each raised by one per match, summed before any can overflow.
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(c));
    while (hay.size() - i >= 16) {
        const size_t steps = std::min<size_t>((hay.size() - i) / 16, 255);
        __m128i counters = _mm_setzero_si128();
        for (size_t k = 0; k < steps; ++k, i += 16)
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(hay.data() + i)), pattern));
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        n += size_t(_mm_cvtsi128_si32(sums)) + size_t(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; i + 8 <= hay.size(); i += 8) n += size_t(((zeroBytes(word(hay, i) ^ (kOnes * c)) >> 7) * kOnes) >> 56);
    for (; i < hay.size(); ++i) n += static_cast<unsigned char>(hay[i]) == c;
    return n;
}

// Separators are found without regard to letter case.
class Separator {
public:
    Separator() = default;
    explicit Separator(std::string_view s) : s_(s) {
        for (char c : s_) letters_ |= std::isalpha(static_cast<unsigned char>(c)) != 0;
        byte_ = s_.size() == 1 && !letters_;
        if (byte_) one_ = s_[0];
    }
    const std::string& text() const { return s_; }
    size_t size() const { return s_.size(); }
    bool hasLetters() const { return letters_; }
    bool empty() const { return s_.empty(); }

    // Segments are short: a search in line, sixteen (or eight) bytes a step, beats a call each.
    [[gnu::always_inline]] size_t find(std::string_view hay, size_t from) const {
        if (byte_) return findByte(hay, from, static_cast<unsigned char>(one_));
        return findOther(hay, from);
    }
    // Whether the separator is found starting at `i` (never, when it is empty).
    bool at(std::string_view hay, size_t i) const {
        if (byte_) return i < hay.size() && hay[i] == one_;
        if (s_.empty() || i + s_.size() > hay.size()) return false;
        for (size_t k = 0; k < s_.size(); ++k)
            if (letters_ ? std::tolower(static_cast<unsigned char>(hay[i + k])) != std::tolower(static_cast<unsigned char>(s_[k]))
                         : hay[i + k] != s_[k])
                return false;
        return true;
    }
    size_t findOther(std::string_view hay, size_t from) const {
        if (s_.empty()) return std::string_view::npos;
        if (!letters_) return hay.find(s_, from);
        for (size_t i = from; i + s_.size() <= hay.size(); ++i) {
            size_t k = 0;
            while (k < s_.size() && std::tolower(static_cast<unsigned char>(hay[i + k])) ==
                                        std::tolower(static_cast<unsigned char>(s_[k])))
                ++k;
            if (k == s_.size()) return i;
        }
        return std::string_view::npos;
    }

    void split(std::string_view piece, std::vector<std::string_view>& out) const {
        out.clear();
        size_t start = 0;
        if (byte_) {
            // Envelope segments are short: a plain pass, no search set up per element.
            for (size_t i = 0; i < piece.size(); ++i)
                if (piece[i] == one_) {
                    out.push_back(piece.substr(start, i - start));
                    start = i + 1;
                }
            out.push_back(piece.substr(start));
            return;
        }
        for (size_t at; (at = find(piece, start)) != std::string_view::npos; start = at + s_.size())
            out.push_back(piece.substr(start, at - start));
        out.push_back(piece.substr(start));
    }

    // A one-character separator without letters: found and counted byte by byte.
    bool countable() const { return byte_; }

private:
    std::string s_;
    bool letters_ = false;
    bool byte_ = false;
    char one_ = 0;
};

std::string_view mid(std::string_view s, size_t start1, size_t len) {
    if (start1 - 1 >= s.size()) return {};
    return s.substr(start1 - 1, len);
}

void replaceAll(std::string& s, std::string_view from, std::string_view to) {
    if (from.empty() || from == to) return;
    std::string out;
    out.reserve(s.size());
    size_t start = 0;
    for (size_t at; (at = s.find(from, start)) != std::string::npos; start = at + from.size()) {
        out.append(s, start, at - start);
        out.append(to);
    }
    out.append(s, start, std::string::npos);
    s.swap(out);
}

// An ISA of the wrong length moves the terminator taken from character 106 into the next
// segment, where the split may still give a first piece of 105 characters; what gives it away
// is that character 104 is no longer the element separator before ISA16. An ISA of the right
// length with too many or too few elements is left to the element check.
bool isaEndsAt105(std::string_view text) { return text.size() >= 105 && text[103] == text[3]; }

bool isTimeOfDay(std::string_view t) {
    // H:MM or HH:MM, optionally :SS
    auto digits = [](std::string_view d) {
        if (d.empty() || d.size() > 2) return -1;
        int v = 0;
        for (char c : d) {
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at; (at = t.find(':', start)) != std::string_view::npos; start = at + 1)
        parts.push_back(t.substr(start, at - start));
    parts.push_back(t.substr(start));
    if (parts.size() < 2 || parts.size() > 3) return false;
    int h = digits(parts[0]), m = digits(parts[1]), s = parts.size() == 3 ? digits(parts[2]) : 0;
    return h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60 && parts[1].size() == 2 &&
           (parts.size() == 2 || parts[2].size() == 2);
}

// A count element as Val reads it; plain digits, the usual case, without the general reading.
double countValue(std::string_view s) {
    if (s.empty() || s.size() > 15) return text::val(s);
    std::int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return text::val(s);
        v = v * 10 + (c - '0');
    }
    return double(v);
}

class Reader {
public:
    enum class Env { None, ISA, GS, ST, SE, GE, IEA };

    Reader(const core::Services& s, std::string_view direction)
        : s_(s), dir_(direction), inbound_(direction == "I"), table_(inbound_ ? "Inbox" : "Outbox") {}

    std::string run(const std::filesystem::path& file);

private:
    void walk(std::string_view text, std::optional<size_t> terminators);
    void onISA(std::string_view piece);
    void onGS(std::string_view piece);
    void onST(std::string_view piece);
    void onSE(std::string_view piece);
    void onGE(std::string_view piece);
    void onIEA(std::string_view piece);
    void appendToSet(std::string_view piece) {
        set_.append(piece);
        set_.append(term_.text());
    }
    // A segment and the terminator after it as the file has them, when that is the terminator's
    // own text (a terminator with letters may be met in the other case).
    void appendToSet(std::string_view text, size_t start, size_t at) {
        if (term_.hasLetters()) appendToSet(text.substr(start, at - start));
        else set_.append(text.data() + start, at - start + term_.size());
    }
    std::string_view need(size_t n) const {
        if (n >= el_.size()) refuse(kMissingElement);
        return el_[n];
    }
    void refuseElements() const {
        refuse("Expected Element missing: Segment = " + std::string(el_[0]) +
               ": Included Elements = " + std::to_string(el_.size()));
    }
    const std::pair<std::string, std::string>& partnerSeparators();
    void progress(size_t position, size_t pieces);

    const core::Services& s_;
    std::string dir_;
    bool inbound_;
    std::string table_;

    Separator term_, elem_;
    std::string sub_;
    std::vector<std::string_view> el_;
    Env last_ = Env::None;

    std::string isaText_, icn_, partnerId_, ownId_, used_;
    bool headerPending_ = false;
    std::string gsText_, gcn_, gs01_, version_, date_, time_, partnerDiv_, ownDiv_, partner_;
    // ST01 and ST02 as the file has them: the file's text outlives the walk.
    std::string_view st01_, st02_;
    std::string set_;
    // The row insert, prepared once; the values of the interchange and group stay bound until an
    // ISA or GS changes them.
    db::Statement insert_;
    bool envelopeBound_ = false;
    const std::pair<std::string, std::string>* separatorsOfGroup_ = nullptr;
    bool replaceTerm_ = false, replaceElem_ = false;   // the group's partner stores other separators
    std::int64_t segments_ = 0, setCount_ = 0, groups_ = 0;   // wide: a group may hold 100,000 sets
    int lastPercent_ = -1;
    std::uint64_t nextPercentAt_ = 0;
    std::map<std::string, std::pair<std::string, std::string>> separators_;
    struct KnownSet {
        std::string partner, transaction, group, version, controlNumber;
        bool pending;       // controlNumber not yet stored
        bool acknowledge;   // a 997 is expected
    };
    std::unordered_map<std::string, KnownSet> sets_;
    KnownSet* lastSet_ = nullptr;   // the set type met last in this group; most files hold one
    const KnownSet* boundSet_ = nullptr;   // whose transaction and acknowledgement are bound

public:
    void storeControlNumbers() {
        for (auto& [key, k] : sets_)
            if (k.pending && !core::SaveTransactionControlNumber(s_, k.partner, k.transaction, k.group, k.version,
                                                                 dir_, k.controlNumber))
                refuse("Transaction Set Registration Failed");
    }
};

std::string Reader::run(const std::filesystem::path& file) {
    s_.ui.status(1, "Reading file please wait...");
    s_.ui.yield();
    const FileText content(file);
    std::string_view text = content.view();
    if (text.compare(0, 3, "ISA") != 0) refuse("Missing ISA Segment");

    elem_ = Separator(mid(text, 4, 1));
    sub_ = std::string(mid(text, 105, 1));
    if (text.size() >= 107 && text[105] == '\r' && text[106] == '\n')
        term_ = Separator("\r\n");
    else
        term_ = Separator(mid(text, 106, 1));

    // A CR LF-terminated file that ends with empty lines: the extra line breaks are not segments.
    if (term_.text() == "\r\n")
        while (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) text.remove_suffix(2);

    size_t first = term_.find(text, 0);
    size_t firstLen = first == std::string::npos ? text.size() : first;
    if (firstLen != 105 || !isaEndsAt105(text)) refuse("Corrupt ISA Segment");

    walk(text, term_.countable() ? content.tally(static_cast<unsigned char>(term_.text()[0])) : std::nullopt);
    if (last_ != Env::IEA) refuse("Missing Interchange Control Trailer Segment");
    storeControlNumbers();
    return {};
}

namespace {

// The envelope segment a piece is, by its name (the text before the first element separator).
// Looked at in place: most segments are told apart by their first letters, without a search.
Reader::Env envelopeOf(std::string_view piece, const Separator& elem) {
    using Env = Reader::Env;
    if (piece.size() < 2) return Env::None;
    const char a = piece[0], b = piece[1];
    Env kind = Env::None;
    size_t n = 2;
    if (a == 'G') kind = b == 'S' ? Env::GS : b == 'E' ? Env::GE : Env::None;
    else if (a == 'S') kind = b == 'T' ? Env::ST : b == 'E' ? Env::SE : Env::None;
    else if (a == 'I' && piece.size() >= 3 && piece[2] == 'A') {
        kind = b == 'S' ? Env::ISA : b == 'E' ? Env::IEA : Env::None;
        n = 3;
    }
    if (kind == Env::None) return kind;
    // The name is exactly those letters: no separator inside them, and one or the end after.
    for (size_t k = 0; k < n; ++k)
        if (elem.at(piece, k)) return Env::None;
    return piece.size() == n || elem.at(piece, n) ? kind : Env::None;
}

}  // namespace

void Reader::walk(std::string_view text, std::optional<size_t> terminators) {
    // Line breaks right after a one-character terminator are layout ("~" at the end of each line).
    const bool skipBreaks = term_.size() == 1 && term_.text()[0] != '\r' && term_.text()[0] != '\n';
    auto nextStart = [&](size_t at) {
        size_t p = at + term_.size();
        if (skipBreaks)
            while (p < text.size() && (text[p] == '\r' || text[p] == '\n')) ++p;
        return p;
    };
    size_t pieces = 1;
    if (terminators)
        pieces += *terminators;
    else if (term_.countable())
        pieces += countByte(text, static_cast<unsigned char>(term_.text()[0]));
    else
        for (size_t at = 0; (at = term_.find(text, at)) != std::string_view::npos; at = nextStart(at)) ++pieces;

    size_t start = 0, position = 0;
    for (size_t at; (at = term_.find(text, start)) != std::string_view::npos; start = nextStart(at)) {
        std::string_view piece = text.substr(start, at - start);
        ++position;
        if (piece.size() >= 3 && piece[0] == 'I' && piece[1] == 'S' && piece[2] == 'A') {
            elem_ = Separator(mid(piece, 4, 1));
            sub_ = std::string(mid(piece, 105, 1));
        }
        progress(position, pieces);
        if (piece.empty()) refuse(kMissingElement);
        // Only the envelope segments are split into their elements; the others need their name.
        const Env kind = envelopeOf(piece, elem_);
        if (kind == Env::None) {
            ++segments_;
            appendToSet(text, start, at);
            continue;
        }
        if (elem_.empty()) {
            el_.assign(1, piece);
        } else {
            elem_.split(piece, el_);
        }
        switch (kind) {
        case Env::ISA: onISA(piece); break;
        case Env::GS: onGS(piece); break;
        case Env::ST: onST(piece); break;
        case Env::SE: onSE(piece); break;
        case Env::GE: onGE(piece); break;
        case Env::IEA: onIEA(piece); break;
        case Env::None: break;
        }
    }
}

void Reader::progress(size_t position, size_t pieces) {
    // position / (pieces - 1) x 100 rounded as "###0" rounds, halves away from zero; in whole
    // numbers, so the exact half of a fraction is never lost to floating point.
    if (position >= nextPercentAt_) {
        const std::uint64_t whole = pieces > 1 ? pieces - 1 : 1;
        const int percent = static_cast<int>((200 * std::uint64_t(position) + whole) / (2 * whole));
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            s_.ui.progress(static_cast<int>(std::min<size_t>(position, INT32_MAX)),
                           static_cast<int>(std::min<size_t>(pieces, INT32_MAX)));
            s_.ui.status(3, text::formatNumber(percent, "###0") + "% Complete");
        }
        // The first position whose rounded percentage is the next one: no division per segment.
        nextPercentAt_ = (whole * (2 * std::uint64_t(percent) + 1) + 199) / 200;
    }
    if ((position & 255) == 0) s_.ui.yield();
}

void Reader::onISA(std::string_view piece) {
    if (piece.size() != 105 || el_.size() != 17) refuseElements();
    icn_ = std::string(el_[13]);
    partnerId_ = std::string(inbound_ ? el_[6] : el_[8]);
    ownId_ = std::string(inbound_ ? el_[8] : el_[6]);
    used_ = std::string(el_[15]);
    isaText_ = std::string(piece);
    headerPending_ = true;
    envelopeBound_ = false;
    separatorsOfGroup_ = nullptr;
    last_ = Env::ISA;
}

void Reader::onGS(std::string_view piece) {
    if (el_.size() != 9) refuseElements();
    ++groups_;
    envelopeBound_ = false;
    separatorsOfGroup_ = nullptr;
    lastSet_ = nullptr;   // partner and version may change here
    gcn_ = std::string(el_[6]);
    gsText_ = std::string(piece);
    std::string gs02(el_[2]), gs03(el_[3]), gs01(el_[1]), gs04(el_[4]), gs05(el_[5]), gs08(el_[8]);

    partner_ = core::FindPartnerByIds(s_, partnerId_, ownId_);
    if (partner_.empty()) {
        partner_ = core::AddPartnerFromEnvelope(s_, isaText_, gsText_, term_.text(), elem_.text(), sub_, dir_);
        // A partner without a name would file every set under nobody.
        if (partner_.empty()) refuse("Trading Partner Registration Failed");
        core::LogHistory(s_, "Info", "Trading Partner Registered - [" + partner_ + "]");
    }
    partnerDiv_ = inbound_ ? gs02 : gs03;
    ownDiv_ = inbound_ ? gs03 : gs02;

    if (headerPending_) {
        if (!WriteOutISA(s_, isaText_, elem_.text(), partner_, dir_))
            refuse("Error Saving Interchange Control Header Segment");
        headerPending_ = false;
    }
    if (!WriteOutGS(s_, gsText_, gcn_, elem_.text(), partner_, dir_))
        refuse("Error Saving Functional Group Header Segment");

    gs01_ = gs01;
    version_ = std::string(mid(gs08, 1, 6));
    date_ = ConvertGroupDate(gs04);
    time_ = ConvertGroupTime(gs05, s_.clock);
    last_ = Env::GS;
}

void Reader::onST(std::string_view piece) {
    // ST03 (implementation convention reference) of newer versions is allowed.
    if (el_.size() != 3 && el_.size() != 4) refuseElements();
    st02_ = el_[2];
    ++segments_;
    ++setCount_;
    st01_ = el_[1];

    // A set met again in this read is known: only its latest control number is kept, and
    // written once before the commit (the same end state as one write per set, without the
    // per-set cost).
    KnownSet* known = lastSet_;
    if (known && known->transaction == st01_) {
        known->controlNumber = st02_;
        known->pending = true;
    } else {
        std::string key = partner_ + '\x1f' + std::string(st01_) + '\x1f' + version_;
        auto found = sets_.find(key);
        if (found == sets_.end()) {
            if (!core::SaveTransactionControlNumber(s_, partner_, st01_, gs01_, version_, dir_, st02_)) {
                if (!core::AddPartnerTransaction(s_, partner_, st01_, gs01_, version_, dir_))
                    refuse("Transaction Set Registration Failed");
                if (!core::SaveTransactionControlNumber(s_, partner_, st01_, gs01_, version_, dir_, st02_))
                    refuse("Transaction Set Registration Failed");
            }
            KnownSet k{partner_, std::string(st01_), gs01_, version_, std::string(st02_), false,
                       st01_ != "997" && core::IsAcknowledgementExpected(s_, partner_, st01_, version_, dir_)};
            found = sets_.emplace(std::move(key), std::move(k)).first;
        } else {
            found->second.controlNumber = st02_;
            found->second.pending = true;
        }
        known = lastSet_ = &found->second;
    }
    appendToSet(piece);
    last_ = Env::ST;
}

const std::pair<std::string, std::string>& Reader::partnerSeparators() {
    if (separatorsOfGroup_) return *separatorsOfGroup_;
    auto it = separators_.find(partner_);
    if (it == separators_.end()) {
        std::string t = core::GetSegmentTerminator(s_, partner_);
        std::string e = core::GetElementSeparator(s_, partner_);
        // No stored separator: keep the file's rather than strip them from the set.
        if (t.empty()) t = term_.text();
        if (e.empty()) e = elem_.text();
        it = separators_.emplace(partner_, std::make_pair(t, e)).first;
    }
    separatorsOfGroup_ = &it->second;
    replaceTerm_ = it->second.first != term_.text();
    replaceElem_ = it->second.second != elem_.text();
    return it->second;
}

void Reader::onSE(std::string_view piece) {
    if (last_ != Env::ST) refuse("Missing Transaction Set Header Segment");
    ++segments_;
    std::string_view se01 = need(1), se02 = need(2);
    if (se02 != st02_)
        refuse("Transaction Set Header Control Number " + std::string(st02_) +
               " Do Not Match Transaction Set Trailer Control Number " + std::string(se02));
    if (countValue(se01) != double(segments_))
        refuse("Included Number of Segments " + std::to_string(segments_) + " Are Not Equal " + std::string(se01));
    segments_ = 0;
    appendToSet(piece);

    // Only a 997 received from a partner acknowledges what we sent; our own (outbound) does not.
    if (st01_ == "997" && inbound_) core::MarkSentAcknowledged(s_, partner_, set_, term_.text(), elem_.text());

    const auto& [pTerm, pElem] = partnerSeparators();
    if (replaceTerm_) replaceAll(set_, term_.text(), pTerm);
    if (replaceElem_) replaceAll(set_, elem_.text(), pElem);

    if (!insert_.valid()) {
        insert_ = s_.db.prepare(
            "INSERT INTO " + table_ +
            " (Partner, \"Transaction\", Version, \"Date\", \"Time\", Used, InterchangeControlNumber, "
            "GroupControlNumber, FunctionalGroup, SenderID, SenderDivision, ReceiverID, ReceiverDivision, Direction, "
            "Acknowledged, Status, TSet) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)");
        envelopeBound_ = false;
    }
    // Bound without copies: each value stays as it is until the row is stored, and those of the
    // interchange and group until the next ISA or GS.
    if (!envelopeBound_) {
        insert_.bindStatic(1, partner_).bindStatic(3, version_).bindStatic(4, date_).bindStatic(5, time_);
        insert_.bindStatic(6, used_).bindStatic(7, icn_).bindStatic(8, gcn_).bindStatic(9, gs01_);
        insert_.bindStatic(10, partnerId_).bindStatic(11, partnerDiv_).bindStatic(12, ownId_).bindStatic(13, ownDiv_);
        insert_.bindStatic(14, dir_).bindStatic(16, "Closed");
        envelopeBound_ = true;
        boundSet_ = nullptr;
    }
    // The set type's own strings live as long as the read: rebound only when the type changes.
    if (boundSet_ != lastSet_) {
        insert_.bindStatic(2, lastSet_->transaction).bindStatic(15, lastSet_->acknowledge ? "No" : "Void");
        boundSet_ = lastSet_;
    }
    insert_.bindStatic(17, set_);
    insert_.run();
    set_.clear();
    last_ = Env::SE;
}

void Reader::onGE(std::string_view piece) {
    if (last_ != Env::SE) refuse("Missing Transaction Set Trailer Segment");
    std::string_view ge01 = need(1), ge02 = need(2);
    if (text::val(ge01) != double(setCount_))
        refuse("Number of Included Transaction Sets " + std::to_string(setCount_) + " Are Not Equal " + std::string(ge01));
    if (ge02 != gcn_)
        refuse("Functional Group Control Number " + gcn_ + " Does Not Match GE Group Control Number " +
               std::string(ge02));
    setCount_ = 0;
    if (!WriteOutGE(s_, piece, elem_.text(), partner_)) refuse("Error Saving Functional Group Trailer Segment");
    last_ = Env::GE;
}

void Reader::onIEA(std::string_view piece) {
    if (last_ != Env::GE) refuse("Missing Functional Group Trailer Segment");
    std::string_view iea01 = need(1), iea02 = need(2);
    if (text::val(iea01) != double(groups_))
        refuse("Number of Included Functional Groups " + std::to_string(groups_) + " Are Not Equal " +
               std::string(iea01));
    if (iea02 != icn_)
        refuse("Interchange Header Control Number " + icn_ + " Do Not Match Interchange Trailer Control Number " +
               std::string(iea02));
    groups_ = 0;
    if (!WriteOutIEA(s_, piece, elem_.text(), partner_)) refuse("Error Saving Interchange Control Trailer Segment");
    last_ = Env::IEA;
}

}  // namespace

bool IsReadingInterchange() { return gReading; }

std::string ConvertGroupDate(std::string_view gs04) {
    std::string out;
    if (gs04.size() < 7) {
        out.append(mid(gs04, 3, 2)).append("/").append(mid(gs04, 5, 2)).append("/").append(mid(gs04, 1, 2));
    } else {
        out.append(mid(gs04, 5, 2)).append("/").append(mid(gs04, 7, 2)).append("/").append(mid(gs04, 1, 4));
    }
    return out;
}

std::string ConvertGroupTime(std::string_view gs05, const Clock& clock) {
    std::string out;
    switch (gs05.size()) {
    case 4: out.append(mid(gs05, 1, 2)).append(":").append(mid(gs05, 3, 2)); break;
    case 6:
    case 8: out.append(mid(gs05, 1, 2)).append(":").append(mid(gs05, 3, 2)).append(":").append(mid(gs05, 5, 2)); break;
    default: out = std::string(gs05);
    }
    if (!isTimeOfDay(out)) out = text::formatDate(clock.now(), "hh:nn");
    return out;
}

std::string LoadBox(const core::Services& s, const std::filesystem::path& file, std::string_view direction) {
    if (direction != "I" && direction != "O") return "Unknown direction: " + std::string(direction);
    // A second read started from a window event while one runs must not share its transaction.
    if (gReading || s.db.inTransaction())
        return "Another interchange file is being read. Try again when it has finished.";
    struct Flag {
        Flag() { gReading = true; }
        ~Flag() { gReading = false; }
    } flag;

    std::string result;
    try {
        db::Transaction tx(s.db);
        try {
            Reader reader(s, direction);
            reader.run(file);
            tx.commit();
        } catch (const Refusal& r) {
            result = r.message;
        } catch (...) {
            tx.rollback();
            // An unexpected fault still fails the read, with its own text.
            core::ErrorInfo info = core::describeError(std::current_exception());
            core::ReportError(s, info);
            result = info.description.empty() ? "Error " + std::to_string(info.number) : info.description;
        }
    } catch (...) {
        // BEGIN itself failed.
        core::ErrorInfo info = core::describeError(std::current_exception());
        core::ReportError(s, info);
        result = info.description.empty() ? "Error " + std::to_string(info.number) : info.description;
    }
    s.ui.clearProgress();
    s.ui.status(3, "");
    if (result.empty()) {
        s.ui.folderChanged(direction == "I" ? "Inbox" : "Outbox");
        s.ui.status(1, "");
    }
    return result;
}

}  // namespace vt::folders
