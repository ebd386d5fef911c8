#pragma once
// What Keystrand's late-bound classes share: byte arrays as Variants, and the library error
// (number of the failed operation, source "<class>.<member>", the number's message text).

#include "Errors.h"

#include "platform/automation/Object.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keystrand {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

// A one-dimensional array (of Byte or of numbers 0 to 255) as bytes, from its lower index on;
// anything else is a type mismatch (13). A byte array is read where it lies: the view shares
// its buffer (a caller writing to its array meanwhile gets a copy of its own), so taking
// megabytes costs no copy.
class ByteArg {
public:
    explicit ByteArg(const vt::automation::Variant& v);
    ByteArg(const ByteArg&) = delete;
    ByteArg& operator=(const ByteArg&) = delete;
    ByteSpan span() const noexcept { return view_; }
    operator ByteSpan() const noexcept { return view_; }

private:
    vt::automation::Variant array_;
    Bytes converted_;   // the elements of an array of numbers
    ByteSpan view_;
};

// The same bytes as a copy.
Bytes toBytes(const vt::automation::Variant& v);
// A 0-based Byte array (an empty one for no bytes); the buffer is taken over, not copied.
vt::automation::Variant fromBytes(Bytes bytes);

// Raises the library error of `number` with the source "<className>.<member>".
[[noreturn]] void raiseLibrary(std::string_view className, std::string_view member, std::int32_t number);

// Runs `f`, turning an engine failure into the library error of this member, and giving a
// run-time error raised inside it this member's source.
template <class F>
auto asMember(std::string_view className, std::string_view member, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const Failure& e) {
        raiseLibrary(className, member, e.number);
    } catch (vt::automation::Error& e) {
        e.source = std::string(className) + "." + std::string(member);
        throw;
    }
}

}  // namespace keystrand
