#pragma once
// The login: the stored account, the Remember switch and what a successful login does.

#include "core/Services.h"

#include <string>
#include <string_view>

namespace vt {
class Settings;
}

namespace vt::setup {

struct LoginForm {
    std::string user;          // the user box
    bool remember = true;      // the Remember box
    bool passwordFilled = false;   // the password box shows the remembered password
};

// The login window's load after the main window's: sets gUserName and gPassword from the
// account, reads Remember (an unreadable value counts as checked) and stores it back when
// checked, as a click of the box would.
LoginForm LoadLogin(Settings& settings);

// Stores the Remember box's value ("1" or "0") at once.
void StoreRemember(Settings& settings, bool checked);

// Whether the typed user name and password are the account's, exactly (case and blanks count).
// `rememberedPassword`: the password box still holds the remembered password, unchanged. Both
// comparisons are always made.
bool CheckLogin(std::string_view user, std::string_view password, bool rememberedPassword);

// After a successful check: logs "User Login: <user>" and gives each working-folder setting
// that is empty or missing its default under the program's folder (Database is never written).
// False when a step failed; the failure has gone to the error reporter.
bool CompleteLogin(const core::Services& s);

// The seven working folders the login fills, in order.
inline constexpr std::string_view kWorkingFolders[] = {"Export", "Import",  "Inbound", "Outbound",
                                                       "Sent",   "Reports", "ActiveX"};

}  // namespace vt::setup
