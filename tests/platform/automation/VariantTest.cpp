#include "platform/automation/Object.h"
#include "platform/automation/Variant.h"
#include "platform/text/Text.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace {

using namespace vt::automation;

double ole(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
    return vt::text::toOleDate(vt::text::DateTime{y, m, d, h, n, s});
}

Variant dec(const char* text) { return Variant(*Decimal::parse(text)); }

// The outcome of a conversion as "<TypeName>:<CStr>", or "error <n>".
std::string outcome(const std::function<Variant()>& convert) {
    try {
        const Variant v = convert();
        return typeName(v) + ":" + toString(v);
    } catch (const Error& e) {
        return "error " + std::to_string(e.number);
    }
}

TEST(VariantConversion, Table) {
    struct Case {
        Variant in;
        VarType to;
        std::string expected;
    };
    const Case cases[] = {
        // Integer conversions round half to even and check their range.
        {Variant(2.5), VarType::Integer, "Integer:2"},
        {Variant(3.5), VarType::Integer, "Integer:4"},
        {Variant(-2.5), VarType::Integer, "Integer:-2"},
        {Variant(32767.4), VarType::Integer, "Integer:32767"},
        {Variant(32767.5), VarType::Integer, "error 6"},
        {Variant("1,000"), VarType::Integer, "Integer:1000"},
        {Variant(" -12 "), VarType::Long, "Long:-12"},
        {Variant("1e3"), VarType::Long, "Long:1000"},
        {Variant("2.5"), VarType::Long, "Long:2"},
        {Variant("&H10"), VarType::Long, "Long:16"},
        {Variant("&HFFFF"), VarType::Integer, "Integer:-1"},
        {Variant("abc"), VarType::Long, "error 13"},
        {Variant(""), VarType::Long, "error 13"},
        {Variant::null(), VarType::Long, "error 94"},
        {Variant(), VarType::Long, "Long:0"},
        {Variant(true), VarType::Integer, "Integer:-1"},
        {Variant(Currency{25000}), VarType::Long, "Long:2"},
        {dec("3.5"), VarType::Long, "Long:4"},
        {Variant(2147483648.0), VarType::Long, "error 6"},
        {Variant(std::int32_t(-1)), VarType::Byte, "error 6"},
        {Variant(255.4), VarType::Byte, "Byte:255"},
        // Double and Single.
        {Variant("1.5E+3"), VarType::Double, "Double:1500"},
        {Variant("12abc"), VarType::Double, "error 13"},
        {Variant(".5"), VarType::Double, "Double:0.5"},
        {Variant(Date{1.5}), VarType::Double, "Double:1.5"},
        {Variant("1e400"), VarType::Double, "error 6"},
        {Variant(1e39), VarType::Single, "error 6"},
        // Boolean.
        {Variant("True"), VarType::Boolean, "Boolean:True"},
        {Variant(" false "), VarType::Boolean, "Boolean:False"},
        {Variant("0"), VarType::Boolean, "Boolean:False"},
        {Variant("2"), VarType::Boolean, "Boolean:True"},
        {Variant("yes"), VarType::Boolean, "error 13"},
        {Variant(0.0), VarType::Boolean, "Boolean:False"},
        // Currency keeps four decimals, rounding half to even.
        {Variant("1.23456"), VarType::Currency, "Currency:1.2346"},
        {Variant(0.00005), VarType::Currency, "Currency:0"},
        {Variant(0.00015), VarType::Currency, "Currency:0.0002"},
        {Variant(1e15), VarType::Currency, "error 6"},
        // Decimal is exact.
        {Variant("79228162514264337593543950335"), VarType::Decimal, "Decimal:79228162514264337593543950335"},
        {Variant("79228162514264337593543950336"), VarType::Decimal, "error 6"},
        {Variant(0.1), VarType::Decimal, "Decimal:0.1"},
        // Dates.
        {Variant("3/7/2025"), VarType::Date, "Date:3/7/2025"},
        {Variant("2025-03-07"), VarType::Date, "Date:3/7/2025"},
        {Variant("March 7, 2025"), VarType::Date, "Date:3/7/2025"},
        {Variant("7 Mar 2025"), VarType::Date, "Date:3/7/2025"},
        {Variant("13/1/2000"), VarType::Date, "Date:1/13/2000"},
        {Variant("3/7/25"), VarType::Date, "Date:3/7/2025"},
        {Variant("3/7/45"), VarType::Date, "Date:3/7/1945"},
        {Variant("3/7/2025 14:05"), VarType::Date, "Date:3/7/2025 2:05:00 PM"},
        {Variant("2:05 PM"), VarType::Date, "Date:2:05:00 PM"},
        {Variant("12 AM"), VarType::Date, "Date:12:00:00 AM"},
        {Variant("14:05:09"), VarType::Date, "Date:2:05:09 PM"},
        {Variant("2/30/2025"), VarType::Date, "error 13"},
        {Variant("1405"), VarType::Date, "error 13"},
        {Variant("25:00"), VarType::Date, "error 13"},
        {Variant(""), VarType::Date, "error 13"},
        {Variant(45358.25), VarType::Date, "Date:3/7/2024 6:00:00 AM"},
        {Variant(3e6), VarType::Date, "error 6"},
        // Strings.
        {Variant::null(), VarType::String, "error 94"},
        {Variant(), VarType::String, "String:"},
        {Variant(false), VarType::String, "String:False"},
        {Variant(1.0 / 3), VarType::String, "String:0.333333333333333"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outcome([&] { return changeType(c.in, c.to); }), c.expected)
            << "from " << typeName(c.in) << " " << toText(c.in) << " to " << int(c.to);
}

TEST(VariantText, NumbersAndDatesPrintAsTheScriptLanguageShowsThem) {
    struct Case {
        Variant in;
        const char* text;
    };
    const Case cases[] = {
        {Variant(1e16), "1E+16"},
        {Variant(1e15), "1E+15"},
        {Variant(123456789012345.0), "123456789012345"},
        {Variant(0.0001), "0.0001"},
        {Variant(0.00001), "1E-05"},
        {Variant(-1.5e-7), "-1.5E-07"},
        {Variant(-0.0), "0"},
        {Variant(0.1f), "0.1"},
        {Variant(Currency{15000}), "1.5"},
        {Variant(Currency{-10000}), "-1"},
        {dec("1.50"), "1.5"},
        {dec("-0.001"), "-0.001"},
        {Variant(true), "True"},
        {Variant(std::uint8_t(200)), "200"},
        {Variant(Date{ole(2024, 3, 7, 12)}), "3/7/2024 12:00:00 PM"},
        {Variant(Date{ole(2024, 3, 7)}), "3/7/2024"},
        {Variant(Date{0.25}), "6:00:00 AM"},
        {Variant(Date{0}), "12:00:00 AM"},
        {Variant(Date{-1.25}), "12/29/1899 6:00:00 AM"},
        {Variant(Date{ole(2024, 3, 7, 23, 59, 59)}), "3/7/2024 11:59:59 PM"},
        {Variant(Date{ole(2024, 3, 7) + 0.99999999}), "3/8/2024"},   // rounds to the next midnight
        {Variant(Date{2958465.99999999}), "12/31/9999 11:59:59 PM"},   // but not past the last day
    };
    for (const Case& c : cases) EXPECT_EQ(toString(c.in), c.text) << typeName(c.in);
}

TEST(VariantText, NullIsAnErrorForCStrButEmptyTextForConcatenation) {
    EXPECT_EQ(toText(Variant::null()), "");
    EXPECT_THROW(toString(Variant::null()), Error);
}

TEST(VariantParse, IsNumericAcceptsWhatTheConversionsRead) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {" 12 ", 12},       {"-1,000.5", -1000.5}, {"1,00", 100},   {"+3", 3},        {"1e5", 1e5},
        {"1D2", 100},       {"&H1F", 31},          {"&o17", 15},    {".5", 0.5},      {"5.", 5},
        {"1.2.3", {}},      {"abc", {}},           {"", {}},        {"   ", {}},      {"1e", {}},
        {"$5", {}},         {",5", {}},            {"5-", {}},      {"&H", {}},       {"&HG", {}},
        {"1,000.5,0", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseNumber(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(isNumeric(Variant(c.text)), c.value.has_value()) << '"' << c.text << '"';
    }
    EXPECT_TRUE(isNumeric(Variant()));
    EXPECT_FALSE(isNumeric(Variant::null()));
    EXPECT_FALSE(isNumeric(Variant(Date{1})));
    EXPECT_TRUE(isDate(Variant("1/2/2003")));
    EXPECT_FALSE(isDate(Variant("12")));
}

TEST(VariantCompare, Table) {
    struct Case {
        Variant a, b;
        CompareMode mode;
        std::optional<int> expected;
    };
    const auto B = CompareMode::Binary, T = CompareMode::Text;
    const Case cases[] = {
        {Variant(1), Variant(2), B, -1},
        {Variant(2), Variant(1.5), B, 1},
        {Variant(std::int16_t(3)), Variant(3.0), B, 0},
        {Variant("10"), Variant("9"), B, -1},       // both strings: as text
        {Variant(10), Variant("9"), B, -1},         // number against string: the number is less
        {Variant("a"), Variant(5), B, 1},
        {Variant(""), Variant(0), B, 1},
        {Variant(), Variant(0), B, 0},              // Empty is 0 against a number
        {Variant(), Variant(-1), B, 1},
        {Variant(), Variant(""), B, 0},             // and "" against a string
        {Variant(), Variant("a"), B, -1},
        {Variant(), Variant(), B, 0},
        {Variant::null(), Variant(1), B, std::nullopt},
        {Variant(1), Variant::null(), B, std::nullopt},
        {Variant::null(), Variant::null(), B, std::nullopt},
        {Variant("abc"), Variant("ABC"), B, 1},
        {Variant("abc"), Variant("ABC"), T, 0},
        {Variant("a"), Variant("B"), T, -1},
        {Variant(true), Variant(-1), B, 0},
        {Variant(Date{2.5}), Variant(2.5), B, 0},
        {Variant(Date{ole(2024, 1, 2)}), Variant(Date{ole(2024, 1, 1)}), B, 1},
        {Variant(Currency{15000}), Variant(1.5), B, 0},
        {Variant(Currency{1}), Variant(std::int32_t(0)), B, 1},
        {dec("0.1"), Variant(0.1), B, 0},
        {dec("79228162514264337593543950335"), Variant(1e30), B, -1},
        {Variant(std::uint8_t(255)), Variant(std::int16_t(-1)), B, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compare(c.a, c.b, c.mode), c.expected) << toText(c.a) << " vs " << toText(c.b);
    EXPECT_THROW(compare(Variant::array({}), Variant(1)), Error);
}

TEST(VariantDecimal, ArithmeticIsExact) {
    const Decimal a = *Decimal::parse("0.1"), b = *Decimal::parse("0.2");
    EXPECT_EQ((a + b).toString(), "0.3");
    EXPECT_EQ((a - b).toString(), "-0.1");
    EXPECT_EQ((*Decimal::parse("1.25") * *Decimal::parse("-4")).toString(), "-5");
    EXPECT_EQ((*Decimal::parse("123456789.123456789") * *Decimal::parse("1000")).toString(), "123456789123.456789");
    const Decimal max = *Decimal::parse("79228162514264337593543950335");
    EXPECT_THROW(max + Decimal::fromInt64(1), Error);
    EXPECT_THROW(max * Decimal::fromInt64(2), Error);
    // A product with too many decimals keeps 28, rounded half to even.
    EXPECT_EQ((*Decimal::parse("0.00000000000001") * *Decimal::parse("0.000000000000015")).toString(),
              "0.0000000000000000000000000002");
    EXPECT_EQ(Decimal::parse("2.345")->rounded(2).toString(), "2.34");
    EXPECT_EQ(Decimal::parse("2.355")->rounded(2).toString(), "2.36");
    EXPECT_EQ(Decimal::parse("-2.3451")->rounded(2).toString(), "-2.35");
    EXPECT_EQ(Decimal::parse("123.45")->integerDigits(), 3);
    EXPECT_EQ(Decimal::parse("0.45")->integerDigits(), 0);
    EXPECT_TRUE(*Decimal::parse("1.50") == *Decimal::parse("1.5"));
    EXPECT_TRUE(*Decimal::parse("-2") < *Decimal::parse("1"));
    EXPECT_EQ(Decimal::parse("12.5")->toCurrency().scaled, 125000);
    EXPECT_DOUBLE_EQ(Decimal::parse("-12.5")->toDouble(), -12.5);
    EXPECT_FALSE(Decimal::parse("1.2.3"));
}

TEST(VariantArray, AssignmentCopiesTheArray) {
    Variant a = Variant::array({Variant(1), Variant("x")});
    Variant b = a;
    b.arrayValue().at({0}) = Variant(99);
    EXPECT_EQ(toInt32(a.arrayValue().at({0})), 1);
    EXPECT_EQ(toInt32(b.arrayValue().at({0})), 99);
    EXPECT_EQ(a.varType(), 8204);
    EXPECT_EQ(typeName(a), "Variant()");
    EXPECT_EQ(Variant::bytes("ab").varType(), 8209);
    EXPECT_EQ(typeName(Variant::bytes("ab")), "Byte()");
}

TEST(VariantArray, BoundsIndexesAndRedim) {
    SafeArray m({{1, 2}, {0, 3}});   // (1 To 2, 0 To 2)
    EXPECT_EQ(m.dimensions(), 2);
    EXPECT_EQ(m.lbound(1), 1);
    EXPECT_EQ(m.ubound(1), 2);
    EXPECT_EQ(m.ubound(2), 2);
    m.at({2, 1}) = Variant("k");
    EXPECT_EQ(m.elements()[3].stringValue(), "k");   // first index varies fastest
    auto error = [](auto&& f) {
        try {
            f();
        } catch (const Error& e) {
            return e.number;
        }
        return 0;
    };
    EXPECT_EQ(error([&] { m.at({3, 0}); }), 9);
    EXPECT_EQ(error([&] { m.at({1}); }), 9);
    EXPECT_EQ(error([&] { (void)m.ubound(3); }), 9);
    m.redim({{1, 2}, {0, 4}}, true);
    EXPECT_EQ(m.at({2, 1}).stringValue(), "k");
    EXPECT_TRUE(m.at({2, 3}).isEmpty());
    EXPECT_EQ(error([&] { m.redim({{1, 3}, {0, 4}}, true); }), 9);
    m.redim({{0, 1}}, false);
    EXPECT_EQ(m.size(), 1u);
    m.fixedSize = true;
    EXPECT_EQ(error([&] { m.redim({{0, 2}}, false); }), 10);
}

std::string text(std::span<const std::uint8_t> b) { return std::string(b.begin(), b.end()); }

TEST(ByteArray, CopiesShareTheBytesUntilOneWrites) {
    std::vector<std::uint8_t> buffer{'a', 'b', 'c'};
    const std::uint8_t* storage = buffer.data();
    Variant a = Variant::bytes(std::move(buffer));
    EXPECT_EQ(a.arrayValue().bytes().data(), storage);   // taken over, not copied

    Variant b = a;
    EXPECT_EQ(b.arrayValue().bytes().data(), storage);
    b.arrayValue().set(std::array{1}, Variant(std::int16_t(90)));
    EXPECT_EQ(text(a.arrayValue().bytes()), "abc");
    EXPECT_EQ(text(b.arrayValue().bytes()), "aZc");
    // The last owner writes in place.
    a.arrayValue().writableBytes()[0] = 'A';
    EXPECT_EQ(a.arrayValue().bytes().data(), storage);
    EXPECT_EQ(text(a.arrayValue().bytes()), "Abc");
    EXPECT_EQ(a, Variant::bytes("Abc"));
    EXPECT_NE(a, b);
}

TEST(ByteArray, WrittenValuesBecomeBytes) {
    const struct {
        Variant value;
        std::string expected;
    } cases[] = {
        {Variant(std::int16_t(7)), "Byte:7"},
        {Variant(2.5), "Byte:2"},
        {Variant("12"), "Byte:12"},
        {Variant(true), "Byte:255"},
        {Variant(), "Byte:0"},
        {Variant(256), "error 6"},
        {Variant(-1), "error 6"},
        {Variant("x"), "error 13"},
        {Variant::null(), "error 94"},
        {Variant::bytes("a"), "error 13"},
        {Variant(makeRef<Object>()), "error 13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        Variant a = Variant::bytes("xy");
        EXPECT_EQ(outcome([&] {
                      a.arrayValue().set(std::array{0}, c.value);
                      return a.arrayValue().get(std::array{0});
                  }),
                  c.expected);
        EXPECT_EQ(a.arrayValue().item(1), Variant(std::uint8_t('y')));
    }
}

TEST(ByteArray, RedimKeepsOrClearsTheBytes) {
    Variant a = Variant::bytes("abcd");
    const Variant shared = a;
    SafeArray& arr = a.arrayValue();
    arr.redim({{0, 6}}, true);
    EXPECT_EQ(text(arr.bytes()), std::string("abcd\0\0", 6));
    EXPECT_EQ(text(shared.arrayValue().bytes()), "abcd");
    arr.redim({{0, 2}}, true);
    EXPECT_EQ(text(arr.bytes()), "ab");
    arr.redim({{1, 3}}, false);
    EXPECT_EQ(text(arr.bytes()), std::string(3, '\0'));
    EXPECT_EQ(arr.lbound(), 1);
    EXPECT_EQ(outcome([&] {
                  arr.redim({{0, 1}, {0, 1}}, true);
                  return Variant();
              }),
              "error 9");
    EXPECT_TRUE(arr.holdsBytes());
    EXPECT_EQ(a.varType(), 8209);
}

TEST(ByteArray, VariantViewsOfTheBytes) {
    Variant a = Variant::bytes("ab");
    const SafeArray& view = a.arrayValue();
    // Reading them as Variants leaves the bytes in place and follows later writes.
    EXPECT_EQ(view.elements()[1], Variant(std::uint8_t('b')));
    EXPECT_EQ(view.at(std::array{0}), Variant(std::uint8_t('a')));
    EXPECT_TRUE(view.holdsBytes());
    a.arrayValue().set(std::array{1}, Variant(std::int16_t(1)));
    EXPECT_EQ(view.elements()[1], Variant(std::uint8_t(1)));

    // Assigning through them turns the array into Variants, which keep what is written.
    Variant b = a;
    b.arrayValue().elements()[0] = Variant("text");
    EXPECT_FALSE(b.arrayValue().holdsBytes());
    EXPECT_EQ(b.arrayValue().item(0), Variant("text"));
    EXPECT_EQ(b.varType(), 8209);
    EXPECT_EQ(text(a.arrayValue().bytes()), "a\x01");
    b.arrayValue().elements()[0] = Variant(std::uint8_t('a'));
    EXPECT_EQ(a, b);
}

class Probe final : public Object {
public:
    explicit Probe(int* terminated) : terminated_(terminated) {}
    ~Probe() override { ++*terminated_; }
    std::string className() const override { return "Probe"; }

private:
    int* terminated_;
};

TEST(VariantObject, TheLastReferenceReleasesTheObject) {
    int terminated = 0;
    {
        Variant a(makeRef<Probe>(&terminated));
        Variant b = a;
        EXPECT_EQ(a.object()->refCount(), 2);
        EXPECT_EQ(typeName(b), "Probe");
        a = Variant::nothing();
        EXPECT_EQ(terminated, 0);
        EXPECT_TRUE(a.isNothing());
        EXPECT_EQ(typeName(a), "Nothing");
        b.clear();
        EXPECT_EQ(terminated, 1);
    }
    EXPECT_EQ(terminated, 1);
}

TEST(VariantObject, ConversionsUseTheDefaultMemberOrFail) {
    int terminated = 0;
    const Variant nothing = Variant::nothing();
    const Variant plain(makeRef<Probe>(&terminated));
    EXPECT_EQ(outcome([&] { return Variant(toString(nothing)); }), "error 91");
    EXPECT_EQ(outcome([&] { return Variant(toString(plain)); }), "error 438");
}

TEST(VariantBasics, SubtypesAndMarkers) {
    EXPECT_EQ(Variant().varType(), 0);
    EXPECT_EQ(Variant::null().varType(), 1);
    EXPECT_EQ(Variant(std::int16_t(1)).varType(), 2);
    EXPECT_EQ(Variant(1).varType(), 3);
    EXPECT_EQ(Variant(1.0f).varType(), 4);
    EXPECT_EQ(Variant(1.0).varType(), 5);
    EXPECT_EQ(Variant(Currency{}).varType(), 6);
    EXPECT_EQ(Variant(Date{}).varType(), 7);
    EXPECT_EQ(Variant("s").varType(), 8);
    EXPECT_EQ(Variant::nothing().varType(), 9);
    EXPECT_EQ(Variant::missing().varType(), 10);
    EXPECT_EQ(Variant(true).varType(), 11);
    EXPECT_EQ(Variant(Decimal{}).varType(), 14);
    EXPECT_EQ(Variant(std::uint8_t(1)).varType(), 17);
    EXPECT_TRUE(Variant::missing().isMissing());
    EXPECT_EQ(Variant::integerLiteral(32767).varType(), 2);
    EXPECT_EQ(Variant::integerLiteral(32768).varType(), 3);
    EXPECT_EQ(Variant::integerLiteral(1LL << 40).varType(), 5);
    EXPECT_THROW(Variant("s").longValue(), Error);
}

}  // namespace
