#pragma once
// The script-visible value: a Variant with the VBScript subtypes and their conversion rules
// (en-US). Strings are 1252 bytes, one byte a character. Arrays have value semantics: copying a
// Variant copies its array (a byte array's bytes are shared until one copy writes to them).
// Objects are shared through an intrusive reference count, so an object goes (and a script
// class's Terminate runs) the moment its last reference is released.
//
// Conversions throw vt::automation::Error (Object.h) with the VBScript numbers: 13 Type mismatch,
// 6 Overflow, 94 Invalid use of Null, 91 Object variable not set, 438 for an object without a
// default member.

#include <compare>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace vt::automation {

class Object;
class Variant;
class SafeArray;

// VarType numbers as VBScript reports them. An array is kArray | element type (8204 for the
// usual array of Variant, 8209 for a byte array).
enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    Decimal = 14,
    Byte = 17,
    Array = 0x2000,
};
inline constexpr std::uint16_t kArrayFlag = 0x2000;

// ---- Object references ----

// Reference counting of Object (defined out of line so that this header needs no Object body).
void addRef(const Object* object) noexcept;
void release(const Object* object) noexcept;
// Raises error 9 (for inline code of this header).
[[noreturn]] void raiseSubscriptOutOfRange();

// Intrusive reference to an Object or a class derived from it. A fresh object has count 0; the
// first Ref takes it to 1.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    explicit Ref(T* p) noexcept : p_(p) { if (p_) addRef(p_); }
    Ref(const Ref& o) noexcept : p_(o.p_) { if (p_) addRef(p_); }
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& o) noexcept : p_(o.get()) { if (p_) addRef(p_); }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
    ~Ref() { if (p_) release(p_); }

    Ref& operator=(Ref o) noexcept { std::swap(p_, o.p_); return *this; }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept { Ref().swap(*this); }
    void swap(Ref& o) noexcept { std::swap(p_, o.p_); }
    // Gives up ownership without releasing (the caller takes over the count).
    T* detach() noexcept { return std::exchange(p_, nullptr); }

    template <class U>
    bool operator==(const Ref<U>& o) const noexcept { return static_cast<const void*>(p_) == static_cast<const void*>(o.get()); }
    bool operator==(std::nullptr_t) const noexcept { return p_ == nullptr; }

private:
    T* p_ = nullptr;
};

using ObjectRef = Ref<Object>;

// Creates an object and takes the first reference to it.
template <class T, class... A>
Ref<T> makeRef(A&&... args) {
    return Ref<T>(new T(std::forward<A>(args)...));
}

// dynamic_cast for references; empty when the object is not a T.
template <class T, class U>
Ref<T> refCast(const Ref<U>& r) {
    return Ref<T>(dynamic_cast<T*>(r.get()));
}

// ---- Scalar payloads ----

struct NullValue {
    bool operator==(const NullValue&) const = default;
};
inline constexpr NullValue kNull{};

// Currency: a 64-bit integer holding the value times 10,000 (four decimals, exact).
struct Currency {
    static constexpr std::int64_t kScale = 10000;
    std::int64_t scaled = 0;
    static Currency fromDouble(double v);   // rounds half to even at 4 decimals; 6 on overflow
    double toDouble() const noexcept { return double(scaled) / double(kScale); }
    auto operator<=>(const Currency&) const = default;
};

// Date: an OLE date (days since 1899-12-30, time of day as the fraction; see vt::text).
struct Date {
    double value = 0;
    bool operator==(const Date&) const = default;
};

// VT_ERROR payload: an HRESULT/SCODE. Omitted optional arguments arrive as kParamNotFound.
struct ErrorCode {
    std::int32_t scode = 0;
    bool operator==(const ErrorCode&) const = default;
};
inline constexpr std::int32_t kParamNotFound = static_cast<std::int32_t>(0x80020004u);

// Decimal: sign * mantissa / 10^scale, mantissa a 96-bit unsigned integer, scale 0..28, as VB's.
// + - * are exact while the result fits (rounded half to even to fit 96 bits otherwise); other
// arithmetic may go through double.
struct Decimal {
    static constexpr int kMaxScale = 28;
    unsigned __int128 mantissa = 0;   // < 2^96
    std::uint8_t scale = 0;
    bool negative = false;

    static Decimal fromInt64(std::int64_t v) noexcept;
    static Decimal fromCurrency(Currency c) noexcept;
    static Decimal fromDouble(double v);          // 15 significant digits, as VB; 6 on overflow
    // Parses [blanks][sign]digits[.digits][E[sign]digits][blanks]; nullopt when malformed or too big.
    static std::optional<Decimal> parse(std::string_view text);
    double toDouble() const noexcept;
    Currency toCurrency() const;                  // 6 on overflow
    std::string toString() const;                 // "-12.5"; no trailing zeros after the point
    bool isZero() const noexcept { return mantissa == 0; }
    // Rounds (half to even) to at most `digits` decimals.
    Decimal rounded(int digits) const;
    // Number of digits left of the point.
    int integerDigits() const noexcept;

    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    Decimal operator-() const noexcept { Decimal d = *this; if (!d.isZero()) d.negative = !d.negative; return d; }
    // Numeric order (1.50 == 1.5).
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) noexcept;
    friend bool operator==(const Decimal& a, const Decimal& b) noexcept { return (a <=> b) == 0; }
};

// ---- Arrays ----

struct ArrayBound {
    std::int32_t lower = 0;
    std::int32_t count = 0;   // number of elements in the dimension (upper = lower + count - 1)
    bool operator==(const ArrayBound&) const = default;
};

// Owner of an array payload; copying it copies the array.
class ArrayBox {
public:
    ArrayBox() = default;
    explicit ArrayBox(std::unique_ptr<SafeArray> a) noexcept;
    ArrayBox(const ArrayBox& o);
    ArrayBox(ArrayBox&& o) noexcept = default;
    ArrayBox& operator=(const ArrayBox& o);
    ArrayBox& operator=(ArrayBox&& o) noexcept = default;
    ~ArrayBox();
    SafeArray* get() const noexcept { return p_.get(); }
    bool operator==(const ArrayBox& o) const;   // same bounds and identical elements

private:
    std::unique_ptr<SafeArray> p_;
};

// ---- Variant ----

class Variant {
public:
    Variant() noexcept = default;              // Empty
    Variant(NullValue) noexcept : v_(NullValue{}) {}
    Variant(bool v) noexcept : v_(v) {}
    Variant(std::uint8_t v) noexcept : v_(v) {}    // Byte
    Variant(std::int16_t v) noexcept : v_(v) {}    // Integer
    Variant(std::int32_t v) noexcept : v_(v) {}    // Long
    Variant(float v) noexcept : v_(v) {}           // Single
    Variant(double v) noexcept : v_(v) {}          // Double
    Variant(Currency v) noexcept : v_(v) {}
    Variant(Date v) noexcept : v_(v) {}
    Variant(Decimal v) noexcept : v_(v) {}
    Variant(ErrorCode v) noexcept : v_(v) {}
    Variant(std::string v) noexcept : v_(std::move(v)) {}
    Variant(std::string_view v) : v_(std::string(v)) {}
    Variant(const char* v) : v_(std::string(v)) {}
    template <class T>
    Variant(Ref<T> v) noexcept : v_(ObjectRef(std::move(v))) {}   // Object; empty = Nothing
    Variant(std::nullptr_t) = delete;   // say Variant::nothing() or kNull
    Variant(SafeArray array);                                       // array
    // Raw pointers would silently become Boolean; use Ref.
    template <class T>
    Variant(T*) = delete;
    Variant(char) = delete;

    static Variant null() noexcept { return Variant(kNull); }
    static Variant nothing() noexcept { return Variant(ObjectRef()); }
    // The marker of an omitted optional argument (Error subtype, DISP_E_PARAMNOTFOUND).
    static Variant missing() noexcept { return Variant(ErrorCode{kParamNotFound}); }
    // A one-dimensional, 0-based array of Variant holding `items` (what Array(...) gives).
    static Variant array(std::vector<Variant> items);
    // A one-dimensional, 0-based array of Byte.
    static Variant bytes(std::string_view bytes);
    static Variant bytes(std::vector<std::uint8_t> bytes);   // takes the buffer over, no copy
    // An integer as a VBScript literal types it: Integer, else Long, else Double.
    static Variant integerLiteral(std::int64_t v) noexcept;

    // Scalar subtype; for an array VarType::Array (see varType() for the full number).
    // Inline: the interpreter asks for it on every operation.
    VarType type() const noexcept {
        // Order of the alternatives of v_.
        constexpr VarType kTypes[] = {VarType::Empty,   VarType::Null,   VarType::Integer, VarType::Long,
                                      VarType::Single,  VarType::Double, VarType::Currency, VarType::Date,
                                      VarType::String,  VarType::Object, VarType::Error,    VarType::Boolean,
                                      VarType::Decimal, VarType::Byte,   VarType::Array};
        return kTypes[v_.index()];
    }
    // The number VarType() returns: the subtype, or kArrayFlag | element type for an array.
    std::uint16_t varType() const noexcept;

    bool isEmpty() const noexcept { return v_.index() == 0; }
    bool isNull() const noexcept { return std::holds_alternative<NullValue>(v_); }
    bool isString() const noexcept { return std::holds_alternative<std::string>(v_); }
    bool isObject() const noexcept { return std::holds_alternative<ObjectRef>(v_); }
    bool isNothing() const noexcept;   // Object subtype holding no object
    bool isArray() const noexcept { return std::holds_alternative<ArrayBox>(v_); }
    bool isMissing() const noexcept;   // omitted optional argument
    // Integer, Long, Single, Double, Currency, Decimal, Byte (Boolean and Date are not).
    bool hasNumericType() const noexcept;

    // Raw access: the value must have that subtype, else Error 13.
    bool boolValue() const;
    std::uint8_t byteValue() const;
    std::int16_t integerValue() const;
    std::int32_t longValue() const;
    float singleValue() const;
    double doubleValue() const;
    Currency currencyValue() const;
    Date dateValue() const;
    Decimal decimalValue() const;
    ErrorCode errorValue() const;
    const std::string& stringValue() const;
    std::string& stringValue();
    const ObjectRef& objectRef() const;   // Object subtype (possibly Nothing)
    Object* object() const;               // null for Nothing and for non-objects
    const SafeArray& arrayValue() const;
    SafeArray& arrayValue();
    template <class T>
    T* objectAs() const { return dynamic_cast<T*>(object()); }

    void clear() noexcept { v_ = std::monostate{}; }   // back to Empty

    // Identity: same subtype and same value (objects: same object; arrays: same bounds and
    // identical elements). Not the VBScript "=" (see compare()).
    bool operator==(const Variant& o) const;

private:
    std::variant<std::monostate, NullValue, std::int16_t, std::int32_t, float, double, Currency, Date,
                 std::string, ObjectRef, ErrorCode, bool, Decimal, std::uint8_t, ArrayBox>
        v_;
};

// Multi-dimensional array with per-dimension bounds, stored with the first index varying fastest
// (the order For Each walks). `elementType` is Variant (12) for script arrays and Byte (17) for
// byte arrays.
//
// A byte array keeps one byte per element in a buffer that its copies share: copying one costs
// nothing, and the first write through a copy gives that copy a buffer of its own. Read and
// write elements with item()/get()/set(), or all of them at once with bytes()/writableBytes().
// at() and elements() hand out Variants, forty bytes each, so code that may meet large byte
// arrays avoids them: the const ones read a Variant copy of the bytes, kept until the array
// next changes; the others turn the array's storage into Variants (from then on it holds
// whatever is written there, as an array of Variant does).
class SafeArray {
public:
    using Bytes = std::vector<std::uint8_t>;

    SafeArray() = default;
    explicit SafeArray(std::vector<ArrayBound> bounds, VarType elementType = VarType::Variant);
    // A one-dimensional, 0-based byte array over `bytes` (taken over, not copied).
    static SafeArray ofBytes(Bytes bytes);
    // A copy (b = a) is a new dynamic array: neither fixed nor locked like its source.
    SafeArray(const SafeArray& o)
        : bounds_(o.bounds_), data_(o.data_), bytes_(o.bytes_), elementType_(o.elementType_) {}
    ~SafeArray();
    SafeArray& operator=(const SafeArray& o) {
        if (this != &o) {
            bounds_ = o.bounds_;
            data_ = o.data_;
            bytes_ = o.bytes_;
            variants_.reset();
            elementType_ = o.elementType_;
            fixedSize = false;
            locks_ = 0;
        }
        return *this;
    }
    SafeArray(SafeArray&&) noexcept = default;
    SafeArray& operator=(SafeArray&&) noexcept = default;

    int dimensions() const noexcept { return int(bounds_.size()); }
    const std::vector<ArrayBound>& bounds() const noexcept { return bounds_; }
    // LBound / UBound of dimension `dim` counted from 1; error 9 outside.
    std::int32_t lbound(int dim = 1) const;
    std::int32_t ubound(int dim = 1) const;
    std::size_t size() const noexcept { return bytes_ ? bytes_->size() : data_.size(); }
    VarType elementType() const noexcept { return elementType_; }

    // Position in storage order of the element with one index per dimension; error 9 for a
    // wrong count or an index out of bounds.
    std::size_t offset(std::span<const std::int32_t> indices) const;
    // An element by value, by position in storage order (below size()) or by indices.
    Variant item(std::size_t pos) const {
        if (pos >= size()) raiseSubscriptOutOfRange();
        return bytes_ ? Variant((*bytes_)[pos]) : data_[pos];
    }
    Variant get(std::span<const std::int32_t> indices) const { return item(offset(indices)); }
    // Writes an element. A byte array takes the value as a Byte, by CByte's rules (6 beyond
    // 0-255, 13 for text that is no number, an object or an array; 94 for Null).
    void setItem(std::size_t pos, Variant value);
    void set(std::span<const std::int32_t> indices, Variant value) { setItem(offset(indices), std::move(value)); }

    // True while a byte array keeps its elements as bytes.
    bool holdsBytes() const noexcept { return bytes_ != nullptr; }
    // The bytes in storage order; empty unless holdsBytes().
    std::span<const std::uint8_t> bytes() const noexcept;
    // The bytes to write to, no longer shared with any copy; error 13 unless holdsBytes().
    std::span<std::uint8_t> writableBytes();

    // Element by one index per dimension, as a Variant to read or assign (see above).
    Variant& at(std::span<const std::int32_t> indices) {
        const std::size_t pos = offset(indices);
        return elements()[pos];
    }
    const Variant& at(std::span<const std::int32_t> indices) const { return elements()[offset(indices)]; }
    Variant& at(std::initializer_list<std::int32_t> indices) { return at(std::span(indices.begin(), indices.size())); }
    // Elements in storage order, as Variants (see above).
    std::vector<Variant>& elements() {
        if (bytes_) unpack();
        return data_;
    }
    const std::vector<Variant>& elements() const { return bytes_ ? bytesAsVariants() : data_; }

    // ReDim: new bounds; with `preserve` only the last dimension may change (error 9 otherwise)
    // and the elements kept keep their values. Error 10 when fixed or locked.
    void redim(std::vector<ArrayBound> bounds, bool preserve);

    // A fixed-size array (Dim a(3)) refuses ReDim. A locked one (an element passed by reference
    // is in use) refuses ReDim and Erase; lock() / unlock() nest.
    bool fixedSize = false;
    void lock() noexcept { ++locks_; }
    void unlock() noexcept { if (locks_ > 0) --locks_; }
    bool locked() const noexcept { return locks_ > 0; }

    bool operator==(const SafeArray& o) const;

private:
    // Gives a byte array one Variant per element, for good.
    void unpack();
    // The bytes as Variants for reading.
    const std::vector<Variant>& bytesAsVariants() const;
    // Called before the bytes change.
    void changing() noexcept { variants_.reset(); }

    std::vector<ArrayBound> bounds_;
    // The elements: bytes_ while set, else data_.
    std::vector<Variant> data_;
    std::shared_ptr<Bytes> bytes_;
    mutable std::unique_ptr<std::vector<Variant>> variants_;   // the bytes as Variants, for reading
    VarType elementType_ = VarType::Variant;
    int locks_ = 0;
};

// ---- Conversions (CBool, CByte, CInt, CLng, CSng, CDbl, CCur, CDate, CStr) ----
// An Object argument is first replaced by the value of its default member (defaultValue()).
// Integer conversions round half to even; out of range is Overflow (6); text that is not a
// number (or a date for toDate) is Type mismatch (13); Null is Invalid use of Null (94).

// The value itself, or for an object the value of its default property (recursively).
// Nothing gives 91; an object without a default member gives 438.
Variant defaultValue(const Variant& v);

bool toBool(const Variant& v);
std::uint8_t toByte(const Variant& v);
// As CByte: True is all bits set (255), not the -1 that would overflow.
std::uint8_t toByteBits(const Variant& v);
std::int16_t toInt16(const Variant& v);
std::int32_t toInt32(const Variant& v);
float toSingle(const Variant& v);
double toDouble(const Variant& v);
Currency toCurrency(const Variant& v);
Decimal toDecimal(const Variant& v);
double toDate(const Variant& v);          // OLE date; range 100-01-01 .. 9999-12-31 else 6
std::string toString(const Variant& v);   // CStr: Null gives 94, Empty ""
// The text the "&" operator uses: as toString, but Null and Empty give "".
std::string toText(const Variant& v);
// Converts to the given scalar subtype (Empty, Null and Variant give the value unchanged).
Variant changeType(const Variant& v, VarType type);

// ---- Text forms ----
std::string formatDouble(double v);      // 15 significant digits, "1E+16", "1E-05"; -0 gives "0"
std::string formatSingle(float v);       // 7 significant digits
std::string formatCurrency(Currency v);  // up to 4 decimals, no trailing zeros
// en-US general date: "3/7/2025", "2:05:09 PM", "3/7/2025 2:05:09 PM" (date only without a time
// of day; time only when the date is 12/30/1899).
std::string formatDate(double oleDate);
std::string boolText(bool v);            // "True" / "False"

// ---- Parsing ----
// What IsNumeric accepts and CDbl reads from text: blanks around, a sign, digits with "," thousands
// separators, one ".", an exponent (E or D), or &H / &O numbers. nullopt when not a number.
std::optional<double> parseNumber(std::string_view text);
// What IsDate accepts and CDate reads from text (en-US): "3/7/2025", "3-7-2025", "2025-03-07",
// "March 7, 2025", "7 Mar 2025", times "14:05", "2:05:09 PM", "2 PM", a date and a time together.
std::optional<double> parseDate(std::string_view text);
bool isNumeric(const Variant& v);   // IsNumeric
bool isDate(const Variant& v);      // IsDate

// TypeName: "Empty", "Null", "Integer", ..., "Variant()" for arrays, the class name of an object,
// "Nothing" for an empty reference.
std::string typeName(const Variant& v);

// ---- Comparison ----
enum class CompareMode { Binary = 0, Text = 1 };
// Compares two strings of 1252 bytes: Binary by byte value, Text without regard to case.
int compareStrings(std::string_view a, std::string_view b, CompareMode mode = CompareMode::Binary);
// The comparison of the VBScript operators for two Variants: -1, 0 or 1; nullopt when either side
// is Null (the result of the operator is then Null). Objects compare by their default values.
// Rules: both numeric (Boolean, Date and the number subtypes) -> as numbers; both strings -> as
// strings in `mode`; one numeric and one string -> the numeric is less; Empty is 0 against a
// number, "" against a string, equal to Empty. Comparing a variable with a literal is the
// interpreter's business (it converts the literal first). Arrays give 13.
std::optional<int> compare(const Variant& a, const Variant& b, CompareMode mode = CompareMode::Binary);

}  // namespace vt::automation
