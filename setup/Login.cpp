#include "setup/Login.h"

#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "platform/settings/Settings.h"
#include "setup/Password.h"
#include "setup/SetupSettings.h"

namespace vt::setup {

LoginForm LoadLogin(Settings& settings) {
    core::gUserName = settings.get("Account", "UserName", kDefaultUserName);
    core::gPassword = settings.get("Account", "Password", kDefaultPassword);
    LoginForm form;
    form.user = core::gUserName;
    const auto remember = smallInteger(settings.get("Account", "Remember", "1"));
    form.remember = remember.value_or(1) != 0;
    if (form.remember) StoreRemember(settings, true);
    form.passwordFilled = form.remember;
    return form;
}

void StoreRemember(Settings& settings, bool checked) { settings.set("Account", "Remember", checked ? "1" : "0"); }

bool CheckLogin(std::string_view user, std::string_view password, bool rememberedPassword) {
    const bool passwordOk = rememberedPassword || verifyPassword(core::gPassword, password);
    const bool userOk = equalConstantTime(user, core::gUserName);
    return passwordOk && userOk;
}

bool CompleteLogin(const core::Services& s) {
    try {
        core::LogHistory(s, "Info", "User Login: " + core::gUserName);
        for (std::string_view key : kWorkingFolders) {
            if (!s.settings.get("Folders", key, "").empty()) continue;
            // The folders are made too: nothing else here would, and every later use needs them.
            s.settings.set("Folders", key, defaultFolder(key).string());
        }
        s.settings.flush();
        return true;
    } catch (...) {
        core::ReportError(s);
        return false;
    }
}

}  // namespace vt::setup
