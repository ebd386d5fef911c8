#pragma once
// ByteInputStream: a first-in first-out byte queue. The members that took raw memory addresses
// answer "not supported": no address crosses this library's boundary.

#include "Automation.h"

namespace keystrand {

class ByteInputStream final : public vt::automation::Dispatch<ByteInputStream> {
public:
    static const vt::automation::Members<ByteInputStream>& members();

    void addLast(std::span<const std::uint8_t> bytes) { data_.insert(data_.end(), bytes.begin(), bytes.end()); }
    // On an empty queue the bytes become the queue as they are, not copied.
    void addLast(Bytes&& bytes) {
        if (data_.empty()) data_ = std::move(bytes);
        else addLast(std::span<const std::uint8_t>(bytes));
    }
    // Error 9 when the queue is empty, or when `size` is below 1 and it is not.
    Bytes peekFirst(std::int32_t size) const;
    Bytes peekAll() const;
    Bytes getFirst(std::int32_t size);
    Bytes getAll();
    void removeFirst(std::int32_t size);
    void reset() noexcept { data_.clear(); }
    std::int32_t size() const noexcept { return std::int32_t(data_.size()); }

private:
    Bytes data_;
};

}  // namespace keystrand
