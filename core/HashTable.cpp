#include "core/HashTable.h"

#include "platform/text/Text.h"

namespace vt::core::hashing {

std::int32_t KeyHash(std::string_view key) {
    std::uint32_t hash = 0;
    for (size_t i = 0; i < key.size(); ++i)
        hash ^= std::uint32_t(static_cast<unsigned char>(key[i])) << (8 * (i % 4));
    return static_cast<std::int32_t>(hash);
}

std::int32_t Bucket(std::int32_t hash, std::int32_t hashSize) {
    // Unsigned, so a hash with its top bit set still lands in range.
    return std::int32_t(static_cast<std::uint32_t>(hash) % static_cast<std::uint32_t>(hashSize));
}

std::string UpperKey(std::string_view key) { return text::toUpper(key); }

}  // namespace vt::core::hashing
