#pragma once
// The account window's logic: the stored user name and password, their checks and the save.
// The password is kept only as a hash, so the window shows the stored one as a placeholder.

#include "core/UiSink.h"

#include <string>
#include <string_view>

namespace vt {
class Settings;
}

namespace vt::setup {

// What a password box holds: typed text, or the stored password left as it was.
struct PasswordEntry {
    std::string text;
    bool stored = false;
};

struct AccountForm {
    std::string userName;
    PasswordEntry password{{}, true};
    PasswordEntry confirm{{}, true};
};

inline constexpr int kAccountFieldLength = 32;

// The stored user name, and both password boxes on the stored password.
AccountForm LoadAccount(const Settings& settings);

// The checks of Apply and OK, in order: user name of 4 characters or more, password of 4 or
// more, confirmation equal to the password. The first that fails shows its message and gives
// false.
bool CheckAccount(const Settings& settings, const AccountForm& form, core::UiSink& ui);

// Stores the user name and the password's hash (a stored password left as it was stays).
// Throws when the store could not be written.
void SaveAccount(Settings& settings, const AccountForm& form);

}  // namespace vt::setup
