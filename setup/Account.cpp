#include "setup/Account.h"

#include "core/Globals.h"
#include "platform/settings/Settings.h"
#include "setup/Password.h"
#include "setup/SetupSettings.h"

namespace vt::setup {

namespace {

std::string storedPassword(const Settings& settings) {
    return settings.get("Account", "Password", kDefaultPassword);
}

// The stored password is known only as a hash, which a save made only after the length check;
// a clear stored value (the default, or one written by hand) is measured.
bool longEnough(const Settings& settings, const PasswordEntry& p) {
    if (!p.stored) return p.text.size() >= 4;
    const std::string stored = storedPassword(settings);
    return isPasswordHash(stored) || stored.size() >= 4;
}

bool samePassword(const Settings& settings, const PasswordEntry& a, const PasswordEntry& b) {
    if (a.stored && b.stored) return true;
    if (!a.stored && !b.stored) return equalConstantTime(a.text, b.text);
    return verifyPassword(storedPassword(settings), a.stored ? b.text : a.text);
}

void warn(core::UiSink& ui, std::string_view text) {
    ui.messageBox(text, core::vbExclamation | core::vbOKOnly, core::kApplicationName);
}

}  // namespace

AccountForm LoadAccount(const Settings& settings) {
    AccountForm form;
    form.userName = settings.get("Account", "UserName", kDefaultUserName);
    return form;
}

bool CheckAccount(const Settings& settings, const AccountForm& form, core::UiSink& ui) {
    if (form.userName.size() < 4) {
        warn(ui, "User Name to short Min. 4!");
        return false;
    }
    if (!longEnough(settings, form.password)) {
        warn(ui, "Password to short Min. 4!");
        return false;
    }
    if (!samePassword(settings, form.password, form.confirm)) {
        warn(ui, "Confirm Password!");
        return false;
    }
    return true;
}

void SaveAccount(Settings& settings, const AccountForm& form) {
    // A placeholder still standing for the stored password keeps it; with the built-in default
    // that is the default's hash, so the clear default is never written either.
    const std::string hash =
        form.password.stored ? [&] {
            const std::string stored = storedPassword(settings);
            return isPasswordHash(stored) ? stored : hashPassword(stored);
        }()
                             : hashPassword(form.password.text);
    settings.set("Account", "UserName", form.userName);
    settings.set("Account", "Password", hash);
    settings.flush();
}

}  // namespace vt::setup
