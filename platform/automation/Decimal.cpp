#include "Variant.h"

#include "Object.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vt::automation {

namespace {
using u128 = unsigned __int128;

// An unsigned 256-bit integer, enough for a product of two 96-bit mantissas scaled by 10^28.
struct Wide {
    std::uint64_t w[4] = {0, 0, 0, 0};   // least significant first

    static Wide of(u128 v) {
        Wide r;
        r.w[0] = std::uint64_t(v);
        r.w[1] = std::uint64_t(v >> 64);
        return r;
    }
    bool isZero() const { return !(w[0] | w[1] | w[2] | w[3]); }
    bool fits96() const { return w[3] == 0 && w[2] == 0 && (w[1] >> 32) == 0; }
    u128 low128() const { return (u128(w[1]) << 64) | w[0]; }
    // *= m; false on overflow of 256 bits.
    bool mulSmall(std::uint32_t m) {
        u128 carry = 0;
        for (auto& x : w) {
            const u128 t = u128(x) * m + carry;
            x = std::uint64_t(t);
            carry = t >> 64;
        }
        return carry == 0;
    }
    // /= d; returns the remainder.
    std::uint32_t divSmall(std::uint32_t d) {
        u128 rem = 0;
        for (int i = 3; i >= 0; --i) {
            const u128 cur = (rem << 64) | w[i];
            w[i] = std::uint64_t(cur / d);
            rem = cur % d;
        }
        return std::uint32_t(rem);
    }
    static Wide mul(u128 a, u128 b) {
        const std::uint64_t a0 = std::uint64_t(a), a1 = std::uint64_t(a >> 64);
        const std::uint64_t b0 = std::uint64_t(b), b1 = std::uint64_t(b >> 64);
        Wide r;
        auto add = [&r](int at, u128 v) {
            for (int i = at; i < 4 && v; ++i) {
                const u128 t = u128(r.w[i]) + std::uint64_t(v);
                r.w[i] = std::uint64_t(t);
                v = (v >> 64) + (t >> 64);
            }
        };
        add(0, u128(a0) * b0);
        add(1, u128(a0) * b1);
        add(1, u128(a1) * b0);
        add(2, u128(a1) * b1);
        return r;
    }
    friend int cmp(const Wide& a, const Wide& b) {
        for (int i = 3; i >= 0; --i)
            if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
        return 0;
    }
};

void increment(Wide& m) {
    for (auto& x : m.w)
        if (++x != 0) break;
}

// Brings a wide mantissa with `scale` into 96 bits and scale <= 28, rounding half to even.
Decimal normalise(Wide m, int scale, bool negative) {
    bool lost = false;          // non-zero digits dropped before the last one
    std::uint32_t last = 0;     // the last digit dropped
    bool dropped = false;
    while ((!m.fits96() || scale > Decimal::kMaxScale) && scale > 0) {
        if (last != 0) lost = true;
        last = m.divSmall(10);
        dropped = true;
        --scale;
    }
    if (dropped && (last > 5 || (last == 5 && (lost || (m.w[0] & 1) != 0)))) {
        increment(m);
        if (!m.fits96()) {
            if (scale == 0) raise(err::Overflow);
            m.divSmall(10);   // exactly a power of ten: nothing lost
            --scale;
        }
    }
    if (!m.fits96()) raise(err::Overflow);
    Decimal d;
    d.mantissa = m.low128();
    d.scale = std::uint8_t(scale);
    d.negative = negative && d.mantissa != 0;
    return d;
}

Wide scaledUp(const Decimal& d, int toScale) {
    Wide m = Wide::of(d.mantissa);
    for (int s = d.scale; s < toScale; ++s) m.mulSmall(10);
    return m;
}

// a + b with magnitudes; sign handling by the callers.
Decimal addSigned(const Decimal& a, const Decimal& b) {
    const int scale = std::max(a.scale, b.scale);
    const Wide ma = scaledUp(a, scale), mb = scaledUp(b, scale);
    if (a.negative == b.negative) {
        Wide r;
        u128 carry = 0;
        for (int i = 0; i < 4; ++i) {
            const u128 t = u128(ma.w[i]) + mb.w[i] + carry;
            r.w[i] = std::uint64_t(t);
            carry = t >> 64;
        }
        return normalise(r, scale, a.negative);
    }
    const int c = cmp(ma, mb);
    const Wide& big = c >= 0 ? ma : mb;
    const Wide& small = c >= 0 ? mb : ma;
    Wide r;
    std::uint64_t borrow = 0;
    for (int i = 0; i < 4; ++i) {
        const u128 sub = u128(small.w[i]) + borrow;
        borrow = u128(big.w[i]) < sub ? 1 : 0;
        r.w[i] = std::uint64_t(u128(big.w[i]) + (borrow ? (u128(1) << 64) : 0) - sub);
    }
    return normalise(r, scale, c >= 0 ? a.negative : b.negative);
}

std::string digitsOf(u128 v) {
    if (v == 0) return "0";
    std::string s;
    while (v) {
        s.insert(s.begin(), char('0' + int(v % 10)));
        v /= 10;
    }
    return s;
}
}  // namespace

Decimal Decimal::fromInt64(std::int64_t v) noexcept {
    Decimal d;
    d.negative = v < 0;
    d.mantissa = v < 0 ? u128(-(v + 1)) + 1 : u128(v);
    return d;
}

Decimal Decimal::fromCurrency(Currency c) noexcept {
    Decimal d = fromInt64(c.scaled);
    d.scale = 4;
    return d;
}

Decimal Decimal::fromDouble(double v) {
    if (!std::isfinite(v)) raise(err::Overflow);
    if (v == 0) return Decimal();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);   // 15 significant digits
    auto d = parse(buf);
    if (!d) raise(err::Overflow);
    while (d->scale > 0 && d->mantissa % 10 == 0) {   // 0.1, not 0.100000000000000
        d->mantissa /= 10;
        --d->scale;
    }
    return *d;
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    std::size_t i = 0;
    auto blank = [&](std::size_t k) { return k < text.size() && (text[k] == ' ' || text[k] == '\t'); };
    while (blank(i)) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string digits;
    int pointShift = 0;
    bool any = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (digits.empty() && c == '0') {
                if (point) ++pointShift;
                continue;
            }
            digits += c;
            if (point) ++pointShift;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any) return std::nullopt;
    int exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool eneg = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) eneg = text[i++] == '-';
        bool edigits = false;
        long e = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            edigits = true;
            if (e < 100000) e = e * 10 + (text[i] - '0');
        }
        if (!edigits) return std::nullopt;
        exponent = int(eneg ? -e : e);
    }
    while (blank(i)) ++i;
    if (i != text.size()) return std::nullopt;
    if (digits.empty()) return Decimal();
    // value = digits * 10^(exponent - pointShift)
    int scale = pointShift - exponent;
    while (scale < 0) {
        digits += '0';
        ++scale;
        if (digits.size() > 40) return std::nullopt;
    }
    // Too many digits for 96 bits: cut to 29 and round later through normalise.
    Wide m;
    for (char c : digits) {
        if (!m.mulSmall(10)) return std::nullopt;
        Wide add = Wide::of(u128(c - '0'));
        u128 carry = 0;
        for (int k = 0; k < 4; ++k) {
            const u128 t = u128(m.w[k]) + add.w[k] + carry;
            m.w[k] = std::uint64_t(t);
            carry = t >> 64;
        }
        if (carry) return std::nullopt;
        if (m.w[3] >> 60) return std::nullopt;
    }
    try {
        return normalise(m, scale, negative);
    } catch (const Error&) {
        return std::nullopt;
    }
}

double Decimal::toDouble() const noexcept {
    return std::strtod(toString().c_str(), nullptr);
}

Currency Decimal::toCurrency() const {
    const Decimal r = rounded(4);
    Wide m = scaledUp(r, 4);
    if (m.w[3] || m.w[2] || m.w[1] || (m.w[0] >> 63)) {
        // Only -2^63 fits beyond 2^63 - 1.
        if (!(r.negative && m.w[3] == 0 && m.w[2] == 0 && m.w[1] == 0 && m.w[0] == (std::uint64_t(1) << 63)))
            raise(err::Overflow);
    }
    Currency c;
    c.scaled = r.negative ? std::int64_t(0 - m.w[0]) : std::int64_t(m.w[0]);
    return c;
}

std::string Decimal::toString() const {
    std::string s = digitsOf(mantissa);
    if (scale > 0) {
        if (s.size() <= scale) s.insert(0, std::size_t(scale) + 1 - s.size(), '0');
        s.insert(s.size() - scale, 1, '.');
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (negative && s != "0") s.insert(0, 1, '-');
    return s;
}

Decimal Decimal::rounded(int digits) const {
    if (digits < 0) digits = 0;
    if (scale <= digits) return *this;
    Wide m = Wide::of(mantissa);
    int s = scale;
    bool lost = false;
    std::uint32_t last = 0;
    while (s > digits) {
        if (last != 0) lost = true;
        last = m.divSmall(10);
        --s;
    }
    const bool odd = (m.w[0] & 1) != 0;
    if (last > 5 || (last == 5 && (lost || odd))) increment(m);
    return normalise(m, s, negative);
}

int Decimal::integerDigits() const noexcept {
    const std::string s = digitsOf(mantissa);
    const int n = int(s.size()) - scale;
    return n > 0 && s != "0" ? n : 0;
}

Decimal operator+(const Decimal& a, const Decimal& b) { return addSigned(a, b); }
Decimal operator-(const Decimal& a, const Decimal& b) { return addSigned(a, -b); }

Decimal operator*(const Decimal& a, const Decimal& b) {
    const Wide m = Wide::mul(a.mantissa, b.mantissa);
    return normalise(m, a.scale + b.scale, a.negative != b.negative);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) noexcept {
    const bool an = a.negative && a.mantissa != 0, bn = b.negative && b.mantissa != 0;
    if (an != bn) return an ? std::strong_ordering::less : std::strong_ordering::greater;
    const int scale = std::max(a.scale, b.scale);
    int c = cmp(scaledUp(a, scale), scaledUp(b, scale));
    if (an) c = -c;
    return c < 0 ? std::strong_ordering::less : c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal;
}

// Taken at 15 significant digits first, as typed, so that 0.00015 is a true half.
Currency Currency::fromDouble(double v) { return Decimal::fromDouble(v).toCurrency(); }

}  // namespace vt::automation
