// Opening the partner window, the map designer and the Exchange window. Each command has logged
// its History row before it gets here.

#include "mainwindow/frmMain.h"

#include "exchange/windows/OpenExchange.h"
#include "folders/Selection.h"
#include "maps/frmMap.h"
#include "platform/text/AnsiQt.h"
#include "setup/PluginChoice.h"
#include "setup/frmPartners.h"

#include <QTextEdit>

#include <optional>
#include <string>

namespace vt::mainwindow {

void frmMain::showPartners() {
    // The window writes partners and their sets; not into a read or a folder command still running.
    if (folders::RefuseWhileBusy(services_)) return;
    setup::frmPartners partners(services_, setup::pluginRegistry(settings_), this);
    partners.Form_Load();
    execDialog(partners);
}
void frmMain::showMapDesigner() {
    maps::frmMap::Host host;
    host.inbox = [this] { return std::optional<folders::FolderSelection>(folderSelection("Inbox")); };
    host.preview = [this](std::string_view set) {
        rtfTSet_->setPlainText(text::fromAnsi(set).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    };
    maps::frmMap& designer = maps::MapDesigner(services_, std::move(host), this);
    designer.show();
    designer.raise();
    designer.activateWindow();
}
void frmMain::showExchange() { exchange::OpenExchangeWindow(services_, this); }

}  // namespace vt::mainwindow
