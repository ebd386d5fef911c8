// The main window's command vocabulary: menu bar, toolbar, pop-up menu and command state.

#include "mainwindow/frmMain.h"

#include "core/ErrorReporter.h"
#include "mainwindow/FolderModel.h"
#include "folders/OpenInterchange.h"
#include "mainwindow/frmMainIcons.h"
#include "platform/settings/Settings.h"
#include "platform/text/AnsiQt.h"
#include "platform/widgets/AccessKeys.h"

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace vt::mainwindow {

void frmMain::logCommand(std::string_view history) { core::LogHistory(services_, "Info", history); }

QAction* frmMain::addCommand(QMenu* menu, const char* name, const char* caption, const char* shortcut,
                             const char* history, std::function<void()> action) {
    auto* a = new QAction(QString::fromLatin1(caption), this);
    a->setObjectName(QString::fromLatin1(name));
    if (shortcut && *shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    const std::string logged = history ? history : "";
    handlers_[name] = [this, logged, action = std::move(action)] {
        if (!logged.empty()) logCommand(logged);
        action();
    };
    const std::string key = name;
    connect(a, &QAction::triggered, this, [this, key] { runCommand(key); });
    if (menu) menu->addAction(a);
    return a;
}

void frmMain::runCommand(std::string_view name) {
    auto it = handlers_.find(name);
    if (it == handlers_.end()) return;
    // A handler may rebuild menus; run a copy.
    auto handler = it->second;
    const bool outermost = commandDepth_ == 0;
    if (outermost) {
        // What the status bar said belongs to the command before.
        panel1_->clear();
        errorsLogged_ = 0;
    }
    ++commandDepth_;
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } depth{commandDepth_};
    handler();
    // A count of errors in the status bar is easy to miss; it says where the errors are.
    if (outermost && errorsLogged_ > 0 && !unloaded_)
        panel1_->setText(text::fromAnsi(core::PointToHistory(text::toAnsi(panel1_->text()), errorsLogged_)));
}

QAction* frmMain::commandAction(std::string_view name) const {
    return findChild<QAction*>(QString::fromLatin1(name.data(), int(name.size())));
}

void frmMain::buildCommands() {
    buildMenus();
    buildToolbar();
    buildPopup();
}

namespace {

QMenu* submenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* m = parent->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QString::fromLatin1(name) + QStringLiteral("Menu"));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    return m;
}

}  // namespace

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QMenu* open = submenu(file, "mnuOpen", "&Open");
    // Opening logs its own row.
    addCommand(open, "mnuOpenInbound", "&Inbound...", nullptr, nullptr, [this] { folders::OpenInterchangeFiles(services_, "I"); });
    addCommand(open, "mnuOpenOutbound", "&Outbound...", nullptr, nullptr, [this] { folders::OpenInterchangeFiles(services_, "O"); });
    file->addSeparator();
    addCommand(file, "mnuExport", "&Export", "Ctrl+E", "Selected [File] - [Export]", [this] { cmdExport(); });
    file->addSeparator();
    addCommand(file, "mnuPrint", "&Print...", nullptr, "Selected [Print] - [Report]", [this] { cmdPrint(); });
    addCommand(file, "mnuPrintSetup", "Print Set&up...", nullptr, nullptr, [this] { mnuPrintSetup_Click(); });
    file->addSeparator();
    addCommand(file, "mnuProperties", "P&roperties...", "Ctrl+P", "Selected [File] - [Properties]", [this] { cmdProperties(); });
    file->addSeparator();
    addCommand(file, "mnuExit", "E&xit", "Ctrl+X", nullptr, [this] { mnuExit_Click(); });

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    addCommand(edit, "mnuSelectionFilter", "&Selection Filter", nullptr, "Selected [Edit] - [Selection Filter]",
               [this] { cmdSelectionFilter(); });
    addCommand(edit, "mnuSelectAll", "Select &All", "Ctrl+A", "Selected [Edit] - [Select All]", [this] { cmdSelectAll(); });
    edit->addSeparator();
    mnuEditData_ = addCommand(edit, "mnuEditData", "&Edit Data", nullptr, "Selected [Edit] - [Edit Data]",
                              [this] { cmdEditData(); });
    edit->addSeparator();
    addCommand(edit, "mnuFind", "&Find...", "Ctrl+F", "Selected [Edit] - [Find]", [this] { cmdFind(); });
    edit->addSeparator();
    addCommand(edit, "mnuDelete", "&Delete", "Shift+Del", "Selected [Edit] - [Delete]", [this] { cmdDelete(); });
    edit->addSeparator();
    addCommand(edit, "mnuMarkAsClosed", "&Mark as Closed", nullptr, "Selected [Edit] - [Mark As Closed]",
               [this] { cmdMarkAsClosed(); });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuFolderBar_ = addCommand(view, "mnuFolderBar", "&Folder Bar", nullptr, nullptr, [this] { mnuFolderBar_Click(); });
    mnuStatusBar_ = addCommand(view, "mnuStatusBar", "&Status Bar", nullptr, nullptr, [this] { mnuStatusBar_Click(); });
    mnuEditData_->setCheckable(true);
    for (QAction* a : {mnuFolderBar_, mnuStatusBar_, mnuEditData_}) {
        a->setCheckable(true);
        a->setChecked(a != mnuEditData_);
        // The handler flips the mark itself; undo the flip the action makes before it reports.
        disconnect(a, &QAction::triggered, this, nullptr);
        const std::string key = text::toAnsi(a->objectName());
        connect(a, &QAction::triggered, this, [this, a, key] {
            a->setChecked(!a->isChecked());
            runCommand(key);
        });
    }
    view->addSeparator();
    mnuSortBy_ = submenu(view, "mnuSortBy", "Sort &By");
    QMenu* order = submenu(view, "mnuSortOrder", "Sort &Order");
    mnuAscending_ = addCommand(order, "mnuAscending", "&Ascending", nullptr, "Selected [View] - [Sort Order] - [Ascending]",
                               [this] { cmdSortAscending(); restoreSortMarks(); });
    mnuDescending_ = addCommand(order, "mnuDescending", "&Descending", nullptr,
                                "Selected [View] - [Sort Order] - [Descending]",
                                [this] { cmdSortDescending(); restoreSortMarks(); });
    mnuAscending_->setCheckable(true);
    mnuDescending_->setCheckable(true);
    mnuAscending_->setChecked(true);
    // Entry 0 of Sort By always exists; the refresh gives it its caption.
    QAction* first = addCommand(mnuSortBy_, "mnuSortByColumn", "(Column)", nullptr, "Selected [View] - [Sort By]",
                                [this] { cmdSortByColumn(0); restoreSortMarks(); });
    first->setCheckable(true);
    mnuSortByColumn_.push_back(first);
    addCommand(view, "mnuColumns", "&Columns...", nullptr, "Selected [View] - [Columns]", [this] { cmdColumns(); });
    view->addSeparator();
    addCommand(view, "mnuReportViewer", "Report &Viewer...", nullptr, "Selected [View] - [Report]", [this] { cmdReportViewer(); });
    view->addSeparator();
    mnuRefresh_ = addCommand(view, "mnuRefresh", "&Refresh", nullptr, nullptr, [this] { mnuRefresh_Click(); });

    QMenu* setup = bar->addMenu(QStringLiteral("&Setup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    addCommand(setup, "mnuPartners", "&Partners...", "Ctrl+T", "Selected [Setup] - [Partners]", [this] { showPartners(); });
    setup->addSeparator();
    addCommand(setup, "mnuMap", "&Map Designer...", nullptr, "Selected [Setup] - [Map Designer]", [this] { showMapDesigner(); });
    setup->addSeparator();
    addCommand(setup, "mnuOptions", "&Options...", nullptr, "Selected [Setup] - [Options]", [this] { showOptions(); });
    setup->addSeparator();
    addCommand(setup, "mnuAccount", "&Account...", nullptr, "Selected [Setup] - [Account]", [this] { showAccount(); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("mnuTools"));
    addCommand(tools, "mnuExchange", "&Exchange...", nullptr, "Selected [Tools] - [Exchange]", [this] { showExchange(); });
    tools->addSeparator();
    addCommand(tools, "mnuActiveX", "&ActiveX", nullptr, "Selected [ActiveX]", [this] { cmdActiveX(); });
    tools->addSeparator();
    addCommand(tools, "mnuGenerateAcknowledgement", "&Generate Acknowledgement", nullptr,
               "Selected [Tools] - [Generate Acknowledgement]", [this] { cmdGenerateAcknowledgement(); });
    tools->addSeparator();
    addCommand(tools, "mnuIntegrator", "&Integrator...", nullptr, "Selected [Tools] - [Integrator]", [this] { showIntegrator(); });
    tools->addSeparator();
    addCommand(tools, "mnuValidate", "&Validate", "Ctrl+V", "Selected [Tools] - [Validate]", [this] { cmdValidate(); });
    tools->addSeparator();
    QMenu* designer = submenu(tools, "mnuDesigner", "&Designer");
    addCommand(designer, "mnuDesignReport", "&Viewer Report...", nullptr, "Selected [Tools] - [Designer] - [Viewer Report]",
               [this] { cmdDesignReport(); });
    addCommand(designer, "mnuDesignExport", "&Export Report...", nullptr, "Selected [Tools] - [Designer] - [Export Report]",
               [this] { cmdDesignExport(); });
    addCommand(designer, "mnuDesignActiveX", "&ActiveX Report...", nullptr,
               "Selected [Tools] - [Designer] - [ActiveX Report]", [this] { cmdDesignActiveX(); });

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addCommand(help, "mnuHelpContents", "&Contents...", "F1", nullptr, [this] { mnuHelpContents_Click(); });
    help->addSeparator();
    addCommand(help, "mnuAbout", "&About Veltrane...", nullptr, nullptr, [this] { showAbout(); });
}

void frmMain::buildToolbar() {
    tbrToolbar_ = addToolBar(QStringLiteral("Toolbar"));
    tbrToolbar_->setObjectName(QStringLiteral("tbrToolbar"));
    tbrToolbar_->setMovable(false);
    tbrToolbar_->setFloatable(false);
    tbrToolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbrToolbar_->setIconSize(QSize(24, 24));
    tbrToolbar_->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    auto button = [this](const char* caption, const char* tooltip, int image) {
        auto* a = new QAction(icons::toolbar(image), QString::fromLatin1(caption), this);
        a->setObjectName(QStringLiteral("tbr") + QString::fromLatin1(caption));
        a->setToolTip(QString::fromLatin1(tooltip));
        const std::string key = caption;
        connect(a, &QAction::triggered, this, [this, key] { tbrToolbar_ButtonClick(key); });
        tbrToolbar_->addAction(a);
        return a;
    };
    auto dropDown = [this](QAction* a, std::initializer_list<std::pair<const char*, const char*>> entries) {
        auto* menu = new QMenu(this);
        menu->setObjectName(a->objectName() + QStringLiteral("Menu"));
        for (const auto& [text, key] : entries) {
            QAction* entry = menu->addAction(QString::fromLatin1(text));
            entry->setData(QString::fromLatin1(key));
            const std::string k = key;
            connect(entry, &QAction::triggered, this, [this, k] { tbrToolbar_ButtonMenuClick(k); });
        }
        a->setMenu(menu);
        if (auto* tool = qobject_cast<QToolButton*>(tbrToolbar_->widgetForAction(a)))
            tool->setPopupMode(QToolButton::MenuButtonPopup);
    };

    QAction* openButton = button("Open", "Open", 1);
    dropDown(openButton, {{"&Inbound...", "Inbound"}, {"&Outbound...", "Outbound"}});
    tbrToolbar_->addSeparator();
    button("Options", "Options", 2);
    button("Partners", "Partners", 3);
    tbrToolbar_->addSeparator();
    button("Properties", "Properties", 4);
    tbrToolbar_->addSeparator();
    button("Delete", "Delete", 5);
    tbrSeparatorAfterDelete_ = tbrToolbar_->addSeparator();
    tbrSeparatorAfterDelete_->setObjectName(QStringLiteral("tbrSeparatorAfterDelete"));
    button("Viewer", "Report Viewer", 6);
    QAction* designerButton = button("Designer", "Report Designer", 7);
    dropDown(designerButton,
             {{"&Viewer Report...", "Viewer"}, {"&Export Report...", "Export"}, {"&ActiveX Report...", "ActiveX"}});
    tbrToolbar_->addSeparator();
    button("Find", "Find", 8);
}

void frmMain::buildPopup() {
    mnuPopup_ = new QMenu(QStringLiteral(" "), this);
    mnuPopup_->setObjectName(QStringLiteral("mnuPopup"));
    auto forward = [this](const char* name, const char* caption, const char* target) {
        auto* a = mnuPopup_->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        const std::string t = target;
        connect(a, &QAction::triggered, this, [this, t] { runCommand(t); });
        return a;
    };
    forward("mnuPopupSelectionFilter", "&Selection Filter", "mnuSelectionFilter");
    forward("mnuPopupSelectAll", "Select &All", "mnuSelectAll");
    mnuPopup_->addSeparator();
    forward("mnuPopupReportViewer", "&Report Viewer...", "mnuReportViewer");
    mnuPopup_->addSeparator();
    forward("mnuPopupProperties", "&Properties", "mnuProperties");
    mnuPopup_->addSeparator();
    forward("mnuPopupValidate", "&Validate", "mnuValidate");
    mnuPopup_->addSeparator();
    forward("mnuPopUpRefresh", "Re&fresh", "mnuRefresh");
    mnuPopup_->addSeparator();
    QMenu* moveTo = mnuPopup_->addMenu(QStringLiteral("&Move To"));
    moveTo->setObjectName(QStringLiteral("mnuMoveToMenu"));
    moveTo->menuAction()->setObjectName(QStringLiteral("mnuMoveTo"));
    // The moves write their own History rows.
    mnuOutbox_ = addCommand(moveTo, "mnuOutbox", "&Outbox", nullptr, nullptr, [this] { cmdMoveToOutbox(); });
    mnuSent_ = addCommand(moveTo, "mnuSent", "&Sent", nullptr, nullptr, [this] { cmdMoveToSent(); });
}

// ---- Command state ----

void frmMain::SetCommandState(bool enable) {
    const bool inboxShown = !folder("Inbox")->view->isHidden();
    struct Rule {
        const char* name;
        int state;   // 0 always on, 1 the flag, 2 the flag with the Inbox shown
    };
    static const Rule rules[] = {
        {"mnuOpen", 0},          {"mnuExport", 2},       {"mnuPrintSetup", 0},     {"mnuPrint", 1},
        {"mnuProperties", 1},    {"mnuExit", 0},         {"mnuSelectionFilter", 1}, {"mnuSelectAll", 1},
        {"mnuColumns", 1},       {"mnuEditData", 1},     {"mnuFind", 1},           {"mnuDelete", 1},
        {"mnuMarkAsClosed", 1},  {"mnuFolderBar", 0},    {"mnuStatusBar", 0},      {"mnuSortBy", 1},
        {"mnuSortOrder", 1},     {"mnuReportViewer", 1}, {"mnuRefresh", 1},        {"mnuGenerateAcknowledgement", 2},
        {"mnuIntegrator", 0},    {"mnuValidate", 1},     {"mnuDesigner", 1},       {"mnuPartners", 0},
        {"tbrProperties", 1},    {"tbrDelete", 1},       {"tbrSeparatorAfterDelete", 1},
        {"tbrViewer", 1},        {"tbrDesigner", 1},     {"tbrFind", 1},
    };
    for (const Rule& r : rules) {
        QAction* a = commandAction(r.name);
        if (!a) continue;
        a->setEnabled(r.state == 0 ? true : r.state == 1 ? enable : enable && inboxShown);
    }
}

// ---- Sort menus ----

void frmMain::BuildSortMenu(Folder& f) {
    while (mnuSortByColumn_.size() > 1) {
        QAction* a = mnuSortByColumn_.back();
        mnuSortByColumn_.pop_back();
        handlers_.erase(text::toAnsi(a->objectName()));
        // The entry may be the one whose click is running.
        mnuSortBy_->removeAction(a);
        a->setObjectName(QString());
        a->deleteLater();
    }
    const auto& columns = f.model->columns();
    for (size_t i = 0; i < columns.size(); ++i) {
        QAction* entry;
        if (i == 0) {
            entry = mnuSortByColumn_[0];
            entry->setText(QString::fromStdString(columns[0].key == "Acknowledged" ? std::string("Acknowledged")
                                                                                 : columns[0].caption));
        } else {
            const std::string name = "mnuSortByColumn" + std::to_string(i);
            const int index = int(i);
            entry = addCommand(mnuSortBy_, name.c_str(), "", nullptr, "Selected [View] - [Sort By]",
                               [this, index] { cmdSortByColumn(index); restoreSortMarks(); });
            entry->setText(text::fromAnsi(columns[i].caption));
            entry->setCheckable(true);
            mnuSortByColumn_.push_back(entry);
        }
        entry->setChecked(int(i) == f.model->sortKey());
    }
    if (columns.empty()) mnuSortByColumn_[0]->setChecked(false);
    widgets::GiveAccessKeys(mnuSortBy_);
    // The acknowledgement column shows its own image, never an arrow.
    const int first = f.model->ackFirst() ? 1 : 0;
    if (first == 1 && f.view->header()->sortIndicatorSection() == 0) ShowHeaderIcon(f.table, 0, 0, false);
    for (int i = first; i < int(columns.size()); ++i) {
        if (i == f.model->sortKey()) ShowHeaderIcon(f.table, i, f.model->sortOrder(), true);
        else ShowHeaderIcon(f.table, i, 0, false);
    }
    if (f.model->sortKey() < first || f.model->sortKey() >= int(columns.size()))
        ShowHeaderIcon(f.table, f.view->header()->sortIndicatorSection(), 0, false);
    mnuAscending_->setChecked(f.model->sortOrder() <= 0);
    mnuDescending_->setChecked(f.model->sortOrder() > 0);
    sortMenuTable_ = f.table;
}

// The sort entries are check marks that describe the list; clicking one must not change them
// by itself.
void frmMain::restoreSortMarks() {
    if (Folder* f = folder(sortMenuTable_)) BuildSortMenu(*f);
}

// ---- Commands with work of their own here ----

void frmMain::mnuRefresh_Click() {
    logCommand("Selected [View] - [Refresh]");
    const std::string key = selectedNodeKey();
    if (folder(key)) RefreshBox(key);
}

void frmMain::mnuPrintSetup_Click() {
    logCommand("Selected [File] - [Print Setup]");
    try {
        const std::optional<PrinterChoice> choice = showPrinterSetup(printer_);
        if (!choice) return;
        printer_ = *choice;
    } catch (...) {
        core::ReportError(services_);
    }
}

std::optional<frmMain::PrinterChoice> frmMain::showPrinterSetup(const PrinterChoice& current) {
    QPrinter printer;
    if (!current.outputFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(current.outputFile));
    } else if (!current.printerName.empty()) {
        printer.setPrinterName(QString::fromStdString(current.printerName));
    }
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("frmPrintSetup"));
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // The dialog chooses the printer that reports are printed on; it prints nothing itself.
    for (QDialogButtonBox* buttons : dialog.findChildren<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
    if (execDialog(dialog) != QDialog::Accepted) return std::nullopt;
    PrinterChoice choice;
    if (printer.outputFormat() == QPrinter::PdfFormat) choice.outputFile = printer.outputFileName().toStdString();
    else choice.printerName = printer.printerName().toStdString();
    return choice;
}

void frmMain::mnuHelpContents_Click() {
    try {
        showHelpTopic(shareFolder() / "Welcome.htm");
    } catch (...) {
    }
}

namespace {

// The desktop file the desktop opens a MIME type with, "" when it names none.
QString defaultApplication(const char* mimeType) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(mimeType)});
    if (!query.waitForFinished(2000)) {
        query.kill();
        query.waitForFinished(500);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

}  // namespace

// xdg-open hands the page to the desktop's choice for HTML, else to $BROWSER, else to the first
// browser it knows; the text-mode ones at the end of its list would show nothing.
bool frmMain::webBrowserAvailable() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) return false;
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    // The cheap look for a known browser first; asking xdg-mime starts a process.
    for (const char* name : {"x-www-browser", "firefox", "firefox-esr", "chromium", "chromium-browser", "google-chrome",
                             "epiphany", "konqueror", "falkon", "seamonkey"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty()) return true;
    for (const char* type : {"text/html", "x-scheme-handler/http"}) {
        const QString desktopFile = defaultApplication(type);
        if (!desktopFile.isEmpty() && !QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile).isEmpty())
            return true;
    }
    return false;
}

bool frmMain::openInBrowser(const std::filesystem::path& page) {
    return webBrowserAvailable() && QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())));
}

void frmMain::showHelpTopic(const std::filesystem::path& page) {
    if (openInBrowser(page)) return;
    QDialog help(this);
    help.setObjectName(QStringLiteral("frmHelp"));
    help.setWindowTitle(QStringLiteral("Veltrane Help"));
    auto* layout = new QVBoxLayout(&help);
    auto* browser = new QTextBrowser(&help);
    browser->setObjectName(QStringLiteral("txtHelp"));
    browser->setOpenExternalLinks(false);
    std::error_code ec;
    if (std::filesystem::exists(page, ec))
        browser->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    else
        browser->setPlainText(QStringLiteral("The help page %1 is missing.").arg(QString::fromStdString(page.string())));
    layout->addWidget(browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &help);
    connect(buttons, &QDialogButtonBox::rejected, &help, &QDialog::reject);
    layout->addWidget(buttons);
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    help.resize(std::min(800, area.width() * 3 / 4), std::min(600, area.height() * 3 / 4));
    execDialog(help);
}

// ---- Toolbar ----

void frmMain::tbrToolbar_ButtonClick(std::string_view caption) {
    static const std::pair<std::string_view, const char*> buttons[] = {
        {"Open", "mnuOpenInbound"}, {"Options", "mnuOptions"},     {"Partners", "mnuPartners"},
        {"Properties", "mnuProperties"}, {"Delete", "mnuDelete"}, {"Viewer", "mnuReportViewer"},
        {"Designer", "mnuDesignReport"}, {"Find", "mnuFind"},
    };
    for (const auto& [text, command] : buttons)
        if (caption == text) {
            runCommand(command);
            return;
        }
}

void frmMain::tbrToolbar_ButtonMenuClick(std::string_view key) {
    static const std::pair<std::string_view, const char*> entries[] = {
        {"Inbound", "mnuOpenInbound"}, {"Outbound", "mnuOpenOutbound"}, {"Viewer", "mnuDesignReport"},
        {"Export", "mnuDesignExport"}, {"ActiveX", "mnuDesignActiveX"},
    };
    for (const auto& [text, command] : entries)
        if (key == text) {
            runCommand(command);
            return;
        }
}

}  // namespace vt::mainwindow
