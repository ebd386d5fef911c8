#include "Automation.h"

namespace keystrand {

using namespace vt::automation;

Bytes toBytes(const Variant& v) {
    if (!v.isArray()) raise(err::TypeMismatch);
    const SafeArray& a = v.arrayValue();
    if (a.dimensions() != 1) raise(err::TypeMismatch);
    Bytes out;
    out.reserve(a.size());
    for (const Variant& e : a.elements()) out.push_back(toByte(e));
    return out;
}

Variant fromBytes(const Bytes& bytes) {
    return Variant::bytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void raiseLibrary(std::string_view className, std::string_view member, std::int32_t number) {
    throw Error(number, std::string(className) + "." + std::string(member), apiErrorText(number));
}

}  // namespace keystrand
