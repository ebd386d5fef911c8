#pragma once
// Passwords out of messages and logs. A raw password may hold any character, and an address may
// come in any form the program accepts (with or without a scheme, a user name holding "@"), so
// what stands between the colon after the user name and the last "@" before a host goes.

#include <string>
#include <string_view>
#include <vector>

namespace vt::inet {

// `text` with the password of every URL in it removed ("ftp://user:pw@host" becomes
// "ftp://user@host", as does "user:pw@host"), for messages and logs.
std::string WithoutPasswords(std::string_view text);
// The same, and each of `secrets` (also as a URL writes it) shown as "***" wherever it stands.
std::string WithoutPasswords(std::string_view text, const std::vector<std::string>& secrets);
// The password of one URL as typed ("" when it has none), in whatever form the URL comes.
std::string UrlPassword(std::string_view url);
// A URL as a message quotes it: without its password, whatever its form.
std::string UrlForMessage(std::string_view url);

}  // namespace vt::inet
