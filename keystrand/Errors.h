#pragma once
// Keystrand's error numbers (the platform-style codes its callers test) and their texts, and
// the one exception the engine throws for a failed operation.

#include <cstdint>
#include <exception>
#include <string>

namespace keystrand {

namespace code {
inline constexpr std::int32_t FileNotFound = 2;
inline constexpr std::int32_t InvalidHandle = 6;
inline constexpr std::int32_t NotEnoughMemory = 8;
inline constexpr std::int32_t NotSupported = 50;
inline constexpr std::int32_t InvalidParameter = 87;
inline constexpr std::int32_t NotImplemented = 120;
inline constexpr std::int32_t MoreData = 234;
inline constexpr std::int32_t NoMoreItems = 259;
inline constexpr std::int32_t BadUid = std::int32_t(0x80090001u);
inline constexpr std::int32_t BadHash = std::int32_t(0x80090002u);
inline constexpr std::int32_t BadKey = std::int32_t(0x80090003u);
inline constexpr std::int32_t BadLength = std::int32_t(0x80090004u);
inline constexpr std::int32_t BadData = std::int32_t(0x80090005u);
inline constexpr std::int32_t BadSignature = std::int32_t(0x80090006u);
inline constexpr std::int32_t BadVersion = std::int32_t(0x80090007u);
inline constexpr std::int32_t BadAlgorithm = std::int32_t(0x80090008u);
inline constexpr std::int32_t BadFlags = std::int32_t(0x80090009u);
inline constexpr std::int32_t BadType = std::int32_t(0x8009000Au);
inline constexpr std::int32_t BadKeyState = std::int32_t(0x8009000Bu);
inline constexpr std::int32_t BadHashState = std::int32_t(0x8009000Cu);
inline constexpr std::int32_t NoKey = std::int32_t(0x8009000Du);
inline constexpr std::int32_t NoMemory = std::int32_t(0x8009000Eu);
inline constexpr std::int32_t Exists = std::int32_t(0x8009000Fu);
inline constexpr std::int32_t Permission = std::int32_t(0x80090010u);
inline constexpr std::int32_t NotFound = std::int32_t(0x80090011u);
inline constexpr std::int32_t BadProvider = std::int32_t(0x80090013u);
inline constexpr std::int32_t BadProviderType = std::int32_t(0x80090014u);
inline constexpr std::int32_t BadPublicKey = std::int32_t(0x80090015u);
inline constexpr std::int32_t BadKeyset = std::int32_t(0x80090016u);
inline constexpr std::int32_t ProviderTypeNotDefined = std::int32_t(0x80090017u);
inline constexpr std::int32_t KeysetNotDefined = std::int32_t(0x80090019u);
inline constexpr std::int32_t BadKeysetParameter = std::int32_t(0x8009001Fu);
inline constexpr std::int32_t InternalFailure = std::int32_t(0x80090020u);
}  // namespace code

// The message text of an error number, one line, no line end. A number without a text gives
// "Unknown error" and the number in hexadecimal ("Unknown error &H80091234").
std::string apiErrorText(std::int32_t number);

// A failed engine operation; `number` is one of the codes above.
class Failure : public std::exception {
public:
    explicit Failure(std::int32_t number) noexcept : number(number) {}
    const char* what() const noexcept override { return "keystrand operation failed"; }
    std::int32_t number;
};

[[noreturn]] inline void fail(std::int32_t number) { throw Failure(number); }

}  // namespace keystrand
