#include "CompoundFile.h"

#include <algorithm>

namespace vt::report::detail {

namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;

void dirEntry(Bytes& d, std::u16string_view name, unsigned type, unsigned color, std::uint32_t left,
              std::uint32_t right, std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    const size_t begin = d.b.size();
    for (char16_t c : name) d.u16(c);
    d.b.resize(begin + 64, '\0');
    d.u16(name.empty() ? 0 : unsigned((name.size() + 1) * 2));
    d.u8(type);
    d.u8(color);
    d.u32(left);
    d.u32(right);
    d.u32(child);
    d.b.append(16 + 4 + 16, '\0');   // class id, state, times
    d.u32(start);
    d.u32(size);
    d.u32(0);
}

// Directory entries are ordered by name length, then by the upper-case names.
bool nameBefore(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t x = a[i] >= u'a' && a[i] <= u'z' ? char16_t(a[i] - 32) : a[i];
        const char16_t y = b[i] >= u'a' && b[i] <= u'z' ? char16_t(b[i] - 32) : b[i];
        if (x != y) return x < y;
    }
    return false;
}

}  // namespace

std::string compoundFile(std::vector<Stream> streams) {
    // Every stream in whole sectors of its own, kept out of the mini stream.
    std::vector<std::uint32_t> starts, sizes;
    std::uint32_t dataSectors = 0;
    for (Stream& s : streams) {
        if (s.bytes.size() < 4096) s.bytes.resize(4096, '\0');
        sizes.push_back(std::uint32_t(s.bytes.size()));
        s.bytes.resize((s.bytes.size() + 511) / 512 * 512, '\0');
        starts.push_back(dataSectors);
        dataSectors += std::uint32_t(s.bytes.size() / 512);
    }
    // The directory: the root and the streams, four entries a sector.
    const std::uint32_t dirEntries = std::uint32_t(streams.size() + 1);
    const std::uint32_t dirSectors = (dirEntries + 3) / 4;
    const std::uint32_t dirSector = dataSectors;
    std::uint32_t fat = 1, difat = 0;
    while (true) {
        difat = fat > 109 ? (fat - 109 + 126) / 127 : 0;
        if (std::uint64_t(fat) * 128 >= std::uint64_t(dataSectors) + dirSectors + fat + difat) break;
        ++fat;
    }
    const std::uint32_t fatStart = dirSector + dirSectors, difatStart = fatStart + fat;

    std::vector<std::uint32_t> table(size_t(fat) * 128, kFree);
    for (size_t k = 0; k < streams.size(); ++k) {
        const std::uint32_t n = std::uint32_t(streams[k].bytes.size() / 512);
        for (std::uint32_t i = 0; i < n; ++i) table[starts[k] + i] = i + 1 == n ? kEnd : starts[k] + i + 1;
    }
    for (std::uint32_t i = 0; i < dirSectors; ++i) table[dirSector + i] = i + 1 == dirSectors ? kEnd : dirSector + i + 1;
    for (std::uint32_t i = 0; i < fat; ++i) table[fatStart + i] = kFatSect;
    for (std::uint32_t i = 0; i < difat; ++i) table[difatStart + i] = kDifSect;

    Bytes h;
    h.raw(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    h.b.append(16, '\0');
    h.u16(0x003E);
    h.u16(0x0003);
    h.u16(0xFFFE);
    h.u16(9);
    h.u16(6);
    h.b.append(6, '\0');
    h.u32(0);   // directory sectors (version 3)
    h.u32(fat);
    h.u32(dirSector);
    h.u32(0);
    h.u32(4096);
    h.u32(kEnd);   // no mini FAT
    h.u32(0);
    h.u32(difat ? difatStart : kEnd);
    h.u32(difat);
    for (std::uint32_t i = 0; i < 109; ++i) h.u32(i < fat ? fatStart + i : kFree);

    // The streams as a tree under the root: sorted, each entry the parent of the one after it on
    // its right, so the root's child is the first and the tree is a valid (if unbalanced) one.
    std::vector<size_t> order(streams.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return nameBefore(streams[a].name, streams[b].name); });
    std::vector<std::uint32_t> right(streams.size(), kFree);
    for (size_t i = 0; i + 1 < order.size(); ++i) right[order[i]] = std::uint32_t(order[i + 1] + 1);
    Bytes dir;
    dirEntry(dir, u"Root Entry", 5, 1, kFree, kFree, streams.empty() ? kFree : std::uint32_t(order[0] + 1), kEnd, 0);
    for (size_t k = 0; k < streams.size(); ++k)
        dirEntry(dir, streams[k].name, 2, 1, kFree, right[k], kFree, starts[k], sizes[k]);
    for (std::uint32_t e = dirEntries; e < dirSectors * 4; ++e) {
        dirEntry(dir, u"", 0, 0, kFree, kFree, kFree, 0, 0);
    }

    std::string out = std::move(h.b);
    out.reserve(512 + size_t(dataSectors + dirSectors + fat + difat) * 512);
    for (const Stream& s : streams) out += s.bytes;
    out += dir.b;
    Bytes f;
    for (auto v : table) f.u32(v);
    out += f.b;
    // DIFAT sectors: 127 FAT sector numbers and the next DIFAT sector.
    for (std::uint32_t s = 0; s < difat; ++s) {
        Bytes d;
        for (std::uint32_t k = 0; k < 127; ++k) {
            const std::uint32_t idx = 109 + s * 127 + k;
            d.u32(idx < fat ? fatStart + idx : kFree);
        }
        d.u32(s + 1 < difat ? difatStart + s + 1 : kEnd);
        out += d.b;
    }
    return out;
}

}  // namespace vt::report::detail
