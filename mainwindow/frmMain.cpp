#include "mainwindow/frmMain.h"

#include "core/Envelopes.h"
#include "core/ErrorReporter.h"
#include "core/Globals.h"
#include "core/SessionGuard.h"
#include "integrator/Integrator.h"
#include "mainwindow/FolderModel.h"
#include "mainwindow/MainWindowSteps.h"
#include "folders/InterchangeReader.h"
#include "mainwindow/Reports.h"
#include "folders/Selection.h"
#include "mainwindow/frmMainIcons.h"
#include "maps/frmMap.h"
#include "platform/settings/Settings.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"
#include "platform/widgets/BoxTitle.h"
#include "platform/widgets/ProgramExit.h"
#include "platform/widgets/SelectionFocus.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>

#include <atomic>
#include <system_error>
#include <thread>

namespace vt::mainwindow {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTitle = core::kApplicationName;

// The windows the main window closes when it unloads, in this order. Each is found by its
// object name among the program's top-level windows; one that is not open is skipped.
constexpr const char* kOtherWindows[] = {
    "frmAbout",   "frmAccount", "frmColumns",    "frmDesign", "frmMap",    "frmIntegrator", "frmExchange",
    "frmLogin",   "frmOptions", "frmPartners", "frmProperties", "frmReport", "frmSplash", "frmStandard"};

// Windows that may hold edits not yet saved. They are asked before anything of the exit runs, so
// that their Cancel keeps the program (and the connection their saves need) open.
constexpr const char* kWindowsWithEdits[] = {"frmMap", "frmDesign"};

bool fileExists(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// A Yes/No question has no answer for Escape or the close box: taking them for No would throw
// away the edits that a "Save ... Changes?" question is about.
class NoEscapeAnswer : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return true;
        return QObject::eventFilter(watched, event);
    }
};

// Message-box text may carry CR LF; the widgets want plain line feeds.
QString boxText(std::string_view text) {
    QString s = text::fromAnsi(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

}  // namespace

frmMain::frmMain(Settings& settings, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), settings_(settings), clock_(clock), services_{core::gConnection(), *this, clock, settings} {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kTitle.data(), int(kTitle.size())));
    setWindowIcon(icons::application());
    tpp_ = 1440.0 / std::max(1, logicalDpiX());

    static const char* const tables[] = {"Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"};
    for (size_t i = 0; i < folders_.size(); ++i) {
        folders_[i].table = tables[i];
        folders_[i].model = new FolderModel(tables[i], this);
        folders_[i].model->setIconProvider([](std::string_view key) { return icons::list(key); });
    }
    buildPanes();
    buildCommands();
    widgets::ShowSelectionFocus();
    lastYield_.start();
    lastProgress_.start();
}

frmMain::~frmMain() = default;

// ---- Start-up ----

bool frmMain::Form_Load() {
    if (loaded_) return true;
    loaded_ = true;
    try {
        core::gUserName = "System";
        buildTree();
        setFolderIcon(1);
        createLogColumns("History");
        createLogColumns("Exchange");
        for (const char* t : {"Inbox", "Outbox", "Sent", "Recycled"}) CreateColumns(t);
        for (const Folder& f : folders_) ListViewLayout("load", f.table);
        MainLayout("load");
        if (!openDatabase()) {
            endProgram();
            return false;
        }
        setBarDragging(picVSplit_, false);
        setBarDragging(picHSplit_, false);
        mnuRefresh_->setText(QStringLiteral("&Refresh          F5"));
        for (const Folder& f : folders_) RefreshBox(f.table);
        tabPreview_->hide();
        SetCommandState(false);
    } catch (...) {
        if (!core::gConnection().isOpen()) {
            messageBox(core::describeError(std::current_exception()).description, core::vbCritical, kTitle);
            endProgram();
            return false;
        }
        core::ReportError(services_);
    }
    return true;
}

// Opens the connection on the configured folder; while the file is not there, asks for
// another folder. False when the user declines or cancels.
bool frmMain::openDatabase() {
    fs::path folder = core::databaseFolder(settings_);
    for (;;) {
        if (fileExists(folder / std::string(core::kDatabaseFileName))) {
            core::openApplicationDatabase(core::gConnection(), folder);
            return true;
        }
        const int answer = messageBox(
            "Cannot find the application database Veltrane.mdb\r\n\r\n"
            "Do you want to change the default folder or dirrectory?",
            core::vbYesNo | core::vbQuestion, kTitle);
        if (answer != core::vbYes) return false;
        auto chosen = chooseFolder("Browse for Folder", folder);
        if (!chosen) return false;
        folder = *chosen;
        if (fileExists(folder / std::string(core::kDatabaseFileName))) {
            core::openApplicationDatabase(core::gConnection(), folder);
            settings_.set("Folders", "Database", folder.string());
            return true;
        }
    }
}

void frmMain::endProgram() {
    Form_Unload();
    hide();
}

// ---- Shutdown ----

void frmMain::mnuExit_Click() {
    core::LogHistory(services_, "Info", "Selected [File] - [Exit]");
    if (messageBox("Exit Veltrane?", core::vbYesNo | core::vbQuestion, kTitle) != core::vbYes) return;
    // The question is answered: the window is painted where it stood before the unload's work
    // begins, so it does not stay on screen until the compaction note comes.
    repaint();
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (compacting_) {
        event->ignore();
        return;
    }
    // A close that arrives while a read, a refresh, a folder command, a transfer session or an
    // Integrator run yields would pull the connection from under it: the window closes as soon as
    // that work is done.
    if (loaded_ && !unloaded_ &&
        (folders::IsReadingInterchange() || folders::IsFolderCommandRunning() || refreshing_ || core::IsSessionRunning() ||
         integrator::IsIntegratorRunning())) {
        event->ignore();
        QTimer::singleShot(100, this, [this] { close(); });
        return;
    }
    if (loaded_ && !unloaded_)
        for (const char* name : kWindowsWithEdits)
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w != this && w->isVisible() && w->objectName() == QLatin1String(name) && !w->close()) {
                    event->ignore();
                    return;
                }
    if (loaded_) Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    try {
        for (const Folder& f : folders_) ListViewLayout("save", f.table);
        MainLayout("save");
        unloadOtherWindows();
        // Ending at the start-up question: nothing was opened, so nothing is compacted.
        if (!core::gConnection().isOpen()) return;
        core::gConnection().close();

        // The options window may have named another folder while the program ran.
        const std::string stored = settings_.get("Folders", "Database");
        const fs::path folder = stored.empty() ? dataRoot() : fs::path(stored);
        if (fileExists(folder / std::string(core::kDatabaseFileName))) {
            compactWithFeedback(folder);
        } else {
            messageBox("The folder or dirrectory location\r\n"
                       "of this application database has been changed! \r\n\r\n"
                       "This application will reference this location \r\n"
                       "the next time the application is ran!\r\n",
                       core::vbInformation | core::vbOKOnly, kTitle);
        }
    } catch (...) {
        messageBox(core::describeError(std::current_exception()).description, core::vbCritical, kTitle);
    }
}

void frmMain::compactWithFeedback(const fs::path& folder) {
    const QString note = QStringLiteral("Compacting the database, please wait...");
    panel1_->setText(note);
    QProgressDialog busy(note, QString(), 0, 0, this);
    busy.setObjectName(QStringLiteral("frmCompacting"));
    busy.setWindowTitle(QString::fromUtf8(kTitle.data(), int(kTitle.size())));
    busy.setWindowModality(Qt::WindowModal);
    busy.setCancelButton(nullptr);
    busy.setMinimumDuration(0);
    busy.show();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    compacting_ = true;
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            core::compactApplicationDatabase(folder);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    QEventLoop wait;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &wait, [&] {
        if (done) wait.quit();
    });
    poll.start(30);
    // Painting and timers run; clicks and keys wait, as nothing may start now. One turn at least,
    // so the window shows the note even when the work is quick.
    do
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    while (!done);
    worker.join();
    compacting_ = false;

    QApplication::restoreOverrideCursor();
    busy.close();
    panel1_->clear();
    if (failure) std::rethrow_exception(failure);
}

void frmMain::unloadOtherWindows() {
    for (const char* name : kOtherWindows) {
        std::vector<QPointer<QWidget>> matches;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != this && w->objectName() == QLatin1String(name)) matches.emplace_back(w);
        // A window may refuse (a busy Integrator or Exchange run); it then stays open.
        for (auto& w : matches)
            if (w) {
                widgets::MarkClosingAtExit(w);
                w->close();
            }
    }
}

// ---- Folder lists ----

frmMain::Folder* frmMain::folder(std::string_view table) {
    for (Folder& f : folders_)
        if (text::equalsNoCase(f.table, table)) return &f;
    return nullptr;
}

const frmMain::Folder* frmMain::folder(std::string_view table) const {
    for (const Folder& f : folders_)
        if (text::equalsNoCase(f.table, table)) return &f;
    return nullptr;
}

FolderModel* frmMain::folderModel(std::string_view table) const {
    const Folder* f = folder(table);
    return f ? f->model : nullptr;
}

QTreeView* frmMain::folderList(std::string_view table) const {
    const Folder* f = folder(table);
    return f ? f->view : nullptr;
}

// ---- UiSink ----

void frmMain::status(int panel, std::string_view text) {
    if (panel == 1) panel1_->setText(text::fromAnsi(text));
    else if (panel == 3) panel3_->setText(text::fromAnsi(text));
}

void frmMain::progress(int value, int max) {
    progressValue_ = value;
    progressMax_ = max;
    applyProgress(value == 0 || value >= max);
}

void frmMain::clearProgress() {
    progressValue_ = 0;
    applyProgress(true);
}

// Repainting the bar for every item of a long loop would cost more than the loop itself.
void frmMain::applyProgress(bool force) {
    if (!force && lastProgress_.elapsed() < 50) return;
    lastProgress_.restart();
    if (progressMax_ > 0 && pgbProgressBar_->maximum() != progressMax_) pgbProgressBar_->setMaximum(progressMax_);
    pgbProgressBar_->setValue(std::clamp(progressValue_, 0, std::max(progressMax_, 0)));
}

void frmMain::yield() {
    if (lastYield_.elapsed() < 50) return;
    lastYield_.restart();
    QCoreApplication::processEvents();
}

QWidget* frmMain::boxOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible() && active->windowType() != Qt::Popup && active->windowType() != Qt::ToolTip)
        return active;
    return this;
}

int frmMain::messageBox(std::string_view text, int style, std::string_view title) {
    QMessageBox box(boxOwner());
    box.setWindowTitle(title.empty() ? QStringLiteral("Veltrane") : text::fromAnsi(title));
    box.setText(boxText(text));
    switch (style & 0x70) {
    case core::vbCritical: box.setIcon(QMessageBox::Critical); break;
    case core::vbQuestion: box.setIcon(QMessageBox::Question); break;
    case core::vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case core::vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct Button {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Button> buttons;
    switch (style & 7) {
    case core::vbOKCancel: buttons = {{QMessageBox::Ok, core::vbOK}, {QMessageBox::Cancel, core::vbCancel}}; break;
    case core::vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, core::vbAbort}, {QMessageBox::Retry, core::vbRetry}, {QMessageBox::Ignore, core::vbIgnore}};
        break;
    case core::vbYesNoCancel:
        buttons = {{QMessageBox::Yes, core::vbYes}, {QMessageBox::No, core::vbNo}, {QMessageBox::Cancel, core::vbCancel}};
        break;
    case core::vbYesNo: buttons = {{QMessageBox::Yes, core::vbYes}, {QMessageBox::No, core::vbNo}}; break;
    case core::vbRetryCancel: buttons = {{QMessageBox::Retry, core::vbRetry}, {QMessageBox::Cancel, core::vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, core::vbOK}}; break;
    }
    QMessageBox::StandardButtons all;
    for (const Button& b : buttons) all |= b.button;
    box.setStandardButtons(all);
    const size_t defaultIndex = std::min(size_t((style >> 8) & 3), buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex].button);
    widgets::FitTitle(box);
    // Escape answers Cancel where there is one, else the only or last button; Yes/No has none.
    NoEscapeAnswer noEscape;
    if ((style & 7) == core::vbYesNo)
        box.installEventFilter(&noEscape);
    else
        box.setEscapeButton(buttons.back().button);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const Button& b : buttons)
        if (clicked == box.button(b.button)) return b.answer;
    return buttons.back().answer;
}

std::optional<std::string> frmMain::inputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) {
    bool ok = false;
    const QString answer = QInputDialog::getText(boxOwner(), title.empty() ? QStringLiteral("Veltrane") : text::fromAnsi(title),
                                                 boxText(prompt), QLineEdit::Normal, text::fromAnsi(defaultText), &ok);
    if (!ok) return std::nullopt;
    return text::toAnsi(answer);
}

std::optional<fs::path> frmMain::chooseFolder(std::string_view title, const fs::path& start) {
    const QString dir = QFileDialog::getExistingDirectory(boxOwner(), text::fromAnsi(title), QString::fromStdString(start.string()));
    if (dir.isEmpty()) return std::nullopt;
    return fs::path(dir.toStdString());
}

std::vector<fs::path> frmMain::openFiles(std::string_view title, std::string_view filter, const fs::path& folder,
                                         bool multiSelect) {
    const QString filters = qtFileFilters(filter).join(QStringLiteral(";;"));
    const QString start = QString::fromStdString(folder.string());
    QStringList chosen;
    QWidget* owner = boxOwner();
    if (multiSelect) {
        chosen = QFileDialog::getOpenFileNames(owner, text::fromAnsi(title), start, filters);
    } else {
        const QString one = QFileDialog::getOpenFileName(owner, text::fromAnsi(title), start, filters);
        if (!one.isEmpty()) chosen << one;
    }
    std::vector<fs::path> files;
    for (const QString& f : chosen) files.emplace_back(f.toStdString());
    return files;
}

QStringList frmMain::qtFileFilters(std::string_view filter) {
    QStringList out;
    const QStringList parts = QString::fromLatin1(filter.data(), int(filter.size())).split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // A description that shows its own pattern keeps it out of the text Qt reads patterns from.
        const int open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')'))) description = description.left(open).trimmed();
        QStringList patterns;
        for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
            if (!patterns.contains(p)) patterns << p;
            for (const QString& variant : {p.toLower(), p.toUpper()})
                if (!patterns.contains(variant)) patterns << variant;
        }
        if (patterns.isEmpty()) continue;
        out << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

void frmMain::folderChanged(std::string_view table) { RefreshBox(table); }

int frmMain::appendHistoryItem(const core::HistoryItem& item) {
    if (item.icon == "Error") ++errorsLogged_;
    FolderModel* m = folderModel("History");
    m->appendHistoryItem(item);
    return m->rowCount();
}

void frmMain::setFolderNodeText(std::string_view table, std::string_view text) {
    if (QTreeWidgetItem* node = folderNode(table)) node->setText(0, text::fromAnsi(text));
}

// ---- Parts ----

std::string frmMain::statusText(int panel) const {
    if (panel == 1) return text::toAnsi(panel1_->text());
    if (panel == 3) return text::toAnsi(panel3_->text());
    return {};
}

std::string frmMain::messageText() const { return text::toAnsi(txtMessage_->text()); }
bool frmMain::messageShown() const { return !txtMessage_->isHidden(); }
std::string frmMain::previewText() const { return text::toAnsi(rtfTSet_->toPlainText()); }
std::string frmMain::folderBarText() const { return text::toAnsi(lblFolderBar_->text()); }
bool frmMain::previewShown() const { return !tabPreview_->isHidden(); }
bool frmMain::welcomeShown() const { return !scrpWelcome_->isHidden(); }

}  // namespace vt::mainwindow
