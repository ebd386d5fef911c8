#include "Variant.h"

#include "Object.h"

#include <algorithm>
#include <limits>

namespace vt::automation {

// ---- ArrayBox ----

ArrayBox::ArrayBox(std::unique_ptr<SafeArray> a) noexcept : p_(std::move(a)) {}
ArrayBox::ArrayBox(const ArrayBox& o) : p_(o.p_ ? std::make_unique<SafeArray>(*o.p_) : nullptr) {}
ArrayBox& ArrayBox::operator=(const ArrayBox& o) {
    if (this != &o) p_ = o.p_ ? std::make_unique<SafeArray>(*o.p_) : nullptr;
    return *this;
}
ArrayBox::~ArrayBox() = default;
bool ArrayBox::operator==(const ArrayBox& o) const {
    if (!p_ || !o.p_) return p_ == o.p_;
    return *p_ == *o.p_;
}

// ---- Variant ----

namespace {
[[noreturn]] void mismatch() { raise(err::TypeMismatch); }

template <class T, class V>
const T& as(const V& v) {
    if (const T* p = std::get_if<T>(&v)) return *p;
    mismatch();
}
template <class T, class V>
T& as(V& v) {
    if (T* p = std::get_if<T>(&v)) return *p;
    mismatch();
}
}  // namespace

Variant::Variant(SafeArray array) : v_(ArrayBox(std::make_unique<SafeArray>(std::move(array)))) {}

Variant Variant::array(std::vector<Variant> items) {
    SafeArray a({ArrayBound{0, std::int32_t(items.size())}});
    a.elements() = std::move(items);
    return Variant(std::move(a));
}

Variant Variant::bytes(std::string_view bytes) {
    return Variant(SafeArray::ofBytes(SafeArray::Bytes(bytes.begin(), bytes.end())));
}

Variant Variant::bytes(std::vector<std::uint8_t> bytes) { return Variant(SafeArray::ofBytes(std::move(bytes))); }

Variant Variant::integerLiteral(std::int64_t v) noexcept {
    if (v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max())
        return Variant(std::int16_t(v));
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
        return Variant(std::int32_t(v));
    return Variant(double(v));
}

std::uint16_t Variant::varType() const noexcept {
    if (const ArrayBox* a = std::get_if<ArrayBox>(&v_))
        return std::uint16_t(kArrayFlag | std::uint16_t(a->get() ? a->get()->elementType() : VarType::Variant));
    return std::uint16_t(type());
}

bool Variant::isNothing() const noexcept {
    const ObjectRef* r = std::get_if<ObjectRef>(&v_);
    return r && !*r;
}

bool Variant::isMissing() const noexcept {
    const ErrorCode* e = std::get_if<ErrorCode>(&v_);
    return e && e->scode == kParamNotFound;
}

bool Variant::hasNumericType() const noexcept {
    switch (type()) {
    case VarType::Integer: case VarType::Long: case VarType::Single: case VarType::Double:
    case VarType::Currency: case VarType::Decimal: case VarType::Byte:
        return true;
    default:
        return false;
    }
}

bool Variant::boolValue() const { return as<bool>(v_); }
std::uint8_t Variant::byteValue() const { return as<std::uint8_t>(v_); }
std::int16_t Variant::integerValue() const { return as<std::int16_t>(v_); }
std::int32_t Variant::longValue() const { return as<std::int32_t>(v_); }
float Variant::singleValue() const { return as<float>(v_); }
double Variant::doubleValue() const { return as<double>(v_); }
Currency Variant::currencyValue() const { return as<Currency>(v_); }
Date Variant::dateValue() const { return as<Date>(v_); }
Decimal Variant::decimalValue() const { return as<Decimal>(v_); }
ErrorCode Variant::errorValue() const { return as<ErrorCode>(v_); }
const std::string& Variant::stringValue() const { return as<std::string>(v_); }
std::string& Variant::stringValue() { return as<std::string>(v_); }
const ObjectRef& Variant::objectRef() const { return as<ObjectRef>(v_); }
Object* Variant::object() const {
    const ObjectRef* r = std::get_if<ObjectRef>(&v_);
    return r ? r->get() : nullptr;
}
const SafeArray& Variant::arrayValue() const { return *as<ArrayBox>(v_).get(); }
SafeArray& Variant::arrayValue() { return *as<ArrayBox>(v_).get(); }

bool Variant::operator==(const Variant& o) const {
    if (v_.index() != o.v_.index()) return false;
    if (isObject()) return object() == o.object();
    if (type() == VarType::Double) return doubleValue() == o.doubleValue();
    if (type() == VarType::Decimal) {
        const Decimal a = decimalValue(), b = o.decimalValue();
        return a.mantissa == b.mantissa && a.scale == b.scale && a.negative == b.negative;
    }
    return v_ == o.v_;
}

// ---- SafeArray ----

void raiseSubscriptOutOfRange() { raise(err::SubscriptOutOfRange); }

namespace {
std::size_t totalCount(const std::vector<ArrayBound>& bounds) {
    if (bounds.empty()) return 0;
    std::size_t n = 1;
    for (const ArrayBound& b : bounds) {
        if (b.count < 0) raise(err::SubscriptOutOfRange);
        n *= std::size_t(b.count);
        if (n > (std::size_t(1) << 28)) raise(err::OutOfMemory);
    }
    return n;
}
}  // namespace

SafeArray::SafeArray(std::vector<ArrayBound> bounds, VarType elementType)
    : bounds_(std::move(bounds)), elementType_(elementType) {
    const std::size_t n = totalCount(bounds_);
    if (elementType_ == VarType::Byte) bytes_ = std::make_shared<Bytes>(n);
    else data_.resize(n);
}

SafeArray::~SafeArray() = default;

SafeArray SafeArray::ofBytes(Bytes bytes) {
    if (bytes.size() > std::size_t(std::numeric_limits<std::int32_t>::max())) raise(err::OutOfMemory);
    SafeArray a;
    a.bounds_ = {ArrayBound{0, std::int32_t(bytes.size())}};
    a.elementType_ = VarType::Byte;
    a.bytes_ = std::make_shared<Bytes>(std::move(bytes));
    return a;
}

std::int32_t SafeArray::lbound(int dim) const {
    if (dim < 1 || dim > dimensions()) raise(err::SubscriptOutOfRange);
    return bounds_[std::size_t(dim - 1)].lower;
}

std::int32_t SafeArray::ubound(int dim) const {
    if (dim < 1 || dim > dimensions()) raise(err::SubscriptOutOfRange);
    const ArrayBound& b = bounds_[std::size_t(dim - 1)];
    return b.lower + b.count - 1;
}

std::size_t SafeArray::offset(std::span<const std::int32_t> indices) const {
    if (indices.size() != bounds_.size() || bounds_.empty()) raise(err::SubscriptOutOfRange);
    std::size_t offset = 0, stride = 1;
    for (std::size_t d = 0; d < bounds_.size(); ++d) {
        const std::int64_t i = std::int64_t(indices[d]) - bounds_[d].lower;
        if (i < 0 || i >= bounds_[d].count) raise(err::SubscriptOutOfRange);
        offset += std::size_t(i) * stride;
        stride *= std::size_t(bounds_[d].count);
    }
    return offset;
}

void SafeArray::setItem(std::size_t pos, Variant value) {
    if (pos >= size()) raise(err::SubscriptOutOfRange);
    if (!bytes_) {
        data_[pos] = std::move(value);
        return;
    }
    if (value.isObject() || value.isArray()) raise(err::TypeMismatch);
    writableBytes()[pos] = toByteBits(value);
}

std::span<const std::uint8_t> SafeArray::bytes() const noexcept {
    if (!bytes_) return {};
    return *bytes_;
}

std::span<std::uint8_t> SafeArray::writableBytes() {
    if (!bytes_) raise(err::TypeMismatch);
    changing();
    if (bytes_.use_count() > 1) bytes_ = std::make_shared<Bytes>(*bytes_);
    return *bytes_;
}

namespace {
std::vector<Variant> asVariants(std::span<const std::uint8_t> bytes) {
    std::vector<Variant> v;
    v.reserve(bytes.size());
    for (const std::uint8_t b : bytes) v.emplace_back(b);
    return v;
}
}  // namespace

void SafeArray::unpack() {
    if (!bytes_) return;
    data_ = variants_ ? std::move(*variants_) : asVariants(*bytes_);
    variants_.reset();
    bytes_.reset();
}

const std::vector<Variant>& SafeArray::bytesAsVariants() const {
    if (!variants_) variants_ = std::make_unique<std::vector<Variant>>(asVariants(*bytes_));
    return *variants_;
}

void SafeArray::redim(std::vector<ArrayBound> bounds, bool preserve) {
    if (fixedSize || locked()) raise(err::ArrayLocked);
    const std::size_t n = totalCount(bounds);
    const bool keep = preserve && !bounds_.empty();
    if (keep) {
        if (bounds.size() != bounds_.size()) raise(err::SubscriptOutOfRange);
        for (std::size_t d = 0; d + 1 < bounds.size(); ++d)
            if (bounds[d] != bounds_[d]) raise(err::SubscriptOutOfRange);
    }
    // The last dimension varies slowest, so the kept elements are a prefix.
    changing();
    if (bytes_) {
        if (!keep) {
            bytes_ = std::make_shared<Bytes>(n);
        } else if (bytes_.use_count() > 1) {
            auto b = std::make_shared<Bytes>(n);
            std::copy_n(bytes_->begin(), std::min(n, bytes_->size()), b->begin());
            bytes_ = std::move(b);
        } else {
            bytes_->resize(n);
        }
    } else {
        const Variant blank = elementType_ == VarType::Byte ? Variant(std::uint8_t(0)) : Variant();
        if (keep) data_.resize(n, blank);
        else data_.assign(n, blank);
    }
    bounds_ = std::move(bounds);
}

bool SafeArray::operator==(const SafeArray& o) const {
    if (bounds_ != o.bounds_ || elementType_ != o.elementType_ || size() != o.size()) return false;
    if (bytes_ && o.bytes_) return bytes_ == o.bytes_ || *bytes_ == *o.bytes_;
    if (!bytes_ && !o.bytes_) return data_ == o.data_;
    for (std::size_t i = 0; i < size(); ++i)
        if (!(item(i) == o.item(i))) return false;
    return true;
}

}  // namespace vt::automation
