#pragma once
// The account password as it is stored: a salted PBKDF2-HMAC-SHA256 hash, never the password.
//
//   pbkdf2-sha256$<iterations>$<salt, hex>$<hash, hex>
//
// A stored value in any other form (the built-in default, or a value written by hand) is
// compared as the password itself.

#include <string>
#include <string_view>

namespace vt::setup {

// A fresh random salt each time, so two hashes of one password differ.
std::string hashPassword(std::string_view password);
bool isPasswordHash(std::string_view stored);
// Whether `password` is the one `stored` holds. Takes the same time however early a
// difference appears.
bool verifyPassword(std::string_view stored, std::string_view password);
// Equal texts, compared without stopping at the first difference.
bool equalConstantTime(std::string_view a, std::string_view b);

}  // namespace vt::setup
