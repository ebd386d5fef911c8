#pragma once
// A string-keyed table of values, optionally case-insensitive. Keys chain in buckets; entries
// live in one slot array reused through a free list, so steady adds and removes allocate
// nothing until the pool runs out, and then it grows by a chunk.
// Errors are RunError: 1001 "Invalid key" / "The Hash Table isn't empty", 457 key exists,
// 5 key missing (or a bucket count below 1).

#include "core/RunError.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vt::core {

namespace hashing {
// XOR of the key's 1252 bytes laid into little-endian 32-bit words.
std::int32_t KeyHash(std::string_view key);
// The bucket of a hash, in 0 to hashSize - 1 also for negative hashes.
std::int32_t Bucket(std::int32_t hash, std::int32_t hashSize);
std::string UpperKey(std::string_view key);
}  // namespace hashing

// V is the stored value: a plain value is copied, a shared_ptr keeps the same object.
template <class V>
class clsHashTable {
public:
    clsHashTable() { SetSize(1024, 2048, 1024); }

    bool IgnoreCase() const { return ignoreCase_; }
    void IgnoreCase(bool value) {
        if (count_ != 0) throw RunError(1001, "The Hash Table isn't empty");
        ignoreCase_ = value;
    }

    // Empties the table. A list or chunk size that is not positive keeps the current one.
    void SetSize(std::int32_t hashSize, std::int32_t listSize = 0, std::int32_t chunkSize = 0) {
        if (hashSize < 1) throw invalidCallError();
        hashSize_ = hashSize;
        if (listSize > 0) listSize_ = listSize;
        if (chunkSize > 0) chunkSize_ = chunkSize;
        count_ = 0;
        freeHead_ = 0;
        buckets_.assign(size_t(hashSize_), 0);
        slots_.clear();
        slots_.resize(1);
        GrowSlots(listSize_);
    }

    bool Exists(std::string_view key) const { return FindSlot(key).slot != 0; }

    void Add(std::string_view key, V value) {
        const Found f = FindSlot(key);
        if (f.slot != 0) throw keyExistsError();
        slots_[size_t(Create(f))].value = std::move(value);
    }

    // The entry's value; an empty value when the key has none (no entry is created).
    V Item(std::string_view key) const {
        const Found f = FindSlot(key);
        return f.slot ? slots_[size_t(f.slot)].value : V{};
    }
    // Creates the entry when the key has none, then stores the value.
    void Item(std::string_view key, V value) {
        const Found f = FindSlot(key);
        const std::int32_t slot = f.slot ? f.slot : Create(f);
        slots_[size_t(slot)].value = std::move(value);
    }

    void Remove(std::string_view key) {
        const Found f = FindSlot(key);
        if (f.slot == 0) throw invalidCallError();
        Slot& s = slots_[size_t(f.slot)];
        if (f.previous)
            slots_[size_t(f.previous)].next = s.next;
        else
            buckets_[size_t(f.bucket)] = s.next;
        // Release the value now rather than when the slot is reused.
        s.key.clear();
        s.value = V{};
        s.next = freeHead_;
        freeHead_ = f.slot;
        --count_;
    }

    void RemoveAll() { SetSize(hashSize_, listSize_, chunkSize_); }

    std::int32_t Count() const { return count_; }

    // Keys (upper-cased when IgnoreCase) and values in bucket and chain order: the i-th value
    // belongs to the i-th key. Empty for an empty table.
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        keys.reserve(size_t(count_));
        Walk([&](const Slot& s) { keys.push_back(s.key); });
        return keys;
    }
    std::vector<V> Values() const {
        std::vector<V> values;
        values.reserve(size_t(count_));
        Walk([&](const Slot& s) { values.push_back(s.value); });
        return values;
    }

    // Slots created so far (slot 0 not counted): ListSize after a reset, plus ChunkSize per growth.
    std::int32_t PoolSize() const { return std::int32_t(slots_.size() - 1); }

private:
    struct Slot {
        std::string key;
        V value{};
        std::int32_t next = 0;
    };
    struct Found {
        std::int32_t slot = 0, bucket = 0, previous = 0;
        std::string key;   // as stored
    };

    Found FindSlot(std::string_view key) const {
        if (key.empty()) throw RunError(1001, "Invalid key");
        Found f;
        f.key = ignoreCase_ ? hashing::UpperKey(key) : std::string(key);
        f.bucket = hashing::Bucket(hashing::KeyHash(f.key), hashSize_);
        for (std::int32_t at = buckets_[size_t(f.bucket)]; at != 0; at = slots_[size_t(at)].next) {
            if (slots_[size_t(at)].key == f.key) {
                f.slot = at;
                return f;
            }
            f.previous = at;
        }
        return f;
    }

    // New entries go to the end of their chain.
    std::int32_t Create(const Found& f) {
        const std::int32_t slot = TakeFreeSlot();
        slots_[size_t(slot)].key = f.key;
        if (f.previous)
            slots_[size_t(f.previous)].next = slot;
        else
            buckets_[size_t(f.bucket)] = slot;
        return slot;
    }

    std::int32_t TakeFreeSlot() {
        if (freeHead_ == 0) GrowSlots(chunkSize_);
        const std::int32_t slot = freeHead_;
        freeHead_ = slots_[size_t(slot)].next;
        slots_[size_t(slot)].next = 0;
        ++count_;
        return slot;
    }

    void GrowSlots(std::int32_t n) {
        const std::int32_t first = std::int32_t(slots_.size());
        slots_.resize(slots_.size() + size_t(n));
        for (std::int32_t i = first; i < first + n - 1; ++i) slots_[size_t(i)].next = i + 1;
        slots_[size_t(first + n - 1)].next = freeHead_;
        freeHead_ = first;
    }

    template <class F>
    void Walk(F&& visit) const {
        for (std::int32_t head : buckets_)
            for (std::int32_t at = head; at != 0; at = slots_[size_t(at)].next) visit(slots_[size_t(at)]);
    }

    std::vector<std::int32_t> buckets_;
    std::vector<Slot> slots_;
    std::int32_t freeHead_ = 0;
    std::int32_t hashSize_ = 1024, listSize_ = 2048, chunkSize_ = 1024;
    std::int32_t count_ = 0;
    bool ignoreCase_ = false;
};

}  // namespace vt::core
