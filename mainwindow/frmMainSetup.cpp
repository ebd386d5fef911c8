// The Setup and Help windows the main window shows modally: Options, Account and About. Each is
// made anew for every showing, so it starts from the stored settings.

#include "mainwindow/frmMain.h"

#include "mainwindow/FolderModel.h"
#include "setup/frmAbout.h"
#include "setup/frmAccount.h"
#include "setup/frmOptions.h"

namespace vt::mainwindow {

void frmMain::showOptions() {
    setup::frmOptions options(services_, [this](std::string_view table) {
        const FolderModel* model = folderModel(table);
        return model ? model->rowCount() : 0;
    }, this);
    options.Form_Load();
    execDialog(options);
}

void frmMain::showAccount() {
    setup::frmAccount account(settings_, *this, this);
    account.Form_Load();
    execDialog(account);
}

void frmMain::showAbout() {
    setup::frmAbout about(services_, this);
    about.Form_Load();
    execDialog(about);
}

}  // namespace vt::mainwindow
