#include "ByteInputStream.h"

namespace keystrand {

using namespace vt::automation;

namespace {
[[noreturn]] void addressesNotSupported(std::string_view member) { raiseLibrary("ByteInputStream", member, code::NotSupported); }
}  // namespace

Bytes ByteInputStream::peekAll() const {
    if (data_.empty()) raise(err::SubscriptOutOfRange);
    return data_;
}

Bytes ByteInputStream::peekFirst(std::int32_t size) const {
    if (data_.empty() || std::size_t(std::max(size, 0)) >= data_.size()) return peekAll();
    if (size < 1) raise(err::SubscriptOutOfRange);
    return Bytes(data_.begin(), data_.begin() + size);
}

Bytes ByteInputStream::getAll() {
    if (data_.empty()) raise(err::SubscriptOutOfRange);
    return std::exchange(data_, Bytes());
}

Bytes ByteInputStream::getFirst(std::int32_t size) {
    if (data_.empty() || std::size_t(std::max(size, 0)) >= data_.size()) return getAll();
    if (size < 1) raise(err::SubscriptOutOfRange);
    Bytes out(data_.begin(), data_.begin() + size);
    removeFirst(size);
    return out;
}

void ByteInputStream::removeFirst(std::int32_t size) {
    if (size < 1) return;
    if (std::size_t(size) >= data_.size()) return reset();
    data_.erase(data_.begin(), data_.begin() + size);
}

const Members<ByteInputStream>& ByteInputStream::members() {
    static const Members<ByteInputStream> m = [] {
        using Q = ByteInputStream;
        Members<Q> t("ByteInputStream");
        t.method("AddPtrLast", {2, 2}, [](Q&, Args&) -> Variant { addressesNotSupported("AddPtrLast"); })
            .method("AddLast", {1, 1}, [](Q& q, Args& a) {
                q.addLast(ByteArg(a.value(0)));
                return Variant();
            })
            .method("PeekFirst", {1, 1}, [](Q& q, Args& a) { return fromBytes(q.peekFirst(a.int32(0))); })
            .method("PeekAll", {}, [](Q& q, Args&) { return fromBytes(q.peekAll()); })
            .method("GetFirst", {1, 1}, [](Q& q, Args& a) { return fromBytes(q.getFirst(a.int32(0))); })
            .method("GetAll", {}, [](Q& q, Args&) { return fromBytes(q.getAll()); })
            .method("GetAllToPtr", {1, 1}, [](Q&, Args&) -> Variant { addressesNotSupported("GetAllToPtr"); })
            .get("PtrFirst", [](Q&, Args&) -> Variant { addressesNotSupported("PtrFirst"); })
            .method("RemoveFirst", {1, 1}, [](Q& q, Args& a) {
                q.removeFirst(a.int32(0));
                return Variant();
            })
            .method("Reset", {}, [](Q& q, Args&) {
                q.reset();
                return Variant();
            })
            .get("Size", [](Q& q, Args&) { return Variant(q.size()); });
        return t;
    }();
    return m;
}

}  // namespace keystrand
