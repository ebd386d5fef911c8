#include "Automation.h"

namespace keystrand {

using namespace vt::automation;

ByteArg::ByteArg(const Variant& v) {
    if (!v.isArray()) raise(err::TypeMismatch);
    const SafeArray& a = v.arrayValue();
    if (a.dimensions() != 1) raise(err::TypeMismatch);
    if (a.holdsBytes()) {
        array_ = v;
        view_ = array_.arrayValue().bytes();
        return;
    }
    converted_.reserve(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) converted_.push_back(toByte(a.item(i)));
    view_ = converted_;
}

Bytes toBytes(const Variant& v) {
    const ByteArg bytes(v);
    return Bytes(bytes.span().begin(), bytes.span().end());
}

Variant fromBytes(Bytes bytes) { return Variant::bytes(std::move(bytes)); }

void raiseLibrary(std::string_view className, std::string_view member, std::int32_t number) {
    throw Error(number, std::string(className) + "." + std::string(member), apiErrorText(number));
}

}  // namespace keystrand
