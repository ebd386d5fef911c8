// What the main window keeps between runs: the window's place and arrangement (section "Main"),
// and each list's columns, widths and sort state (section "Columns" and one section per list).

#include "mainwindow/frmMain.h"

#include "core/ErrorReporter.h"
#include "core/RunError.h"
#include "mainwindow/ColumnChoices.h"
#include "mainwindow/FolderModel.h"
#include "platform/settings/Settings.h"
#include "platform/text/Text.h"

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSignalBlocker>
#include <QTreeView>
#include <QTreeWidget>

#include <charconv>
#include <cmath>
#include <optional>

namespace vt::mainwindow {

namespace {

// A settings text read as a number, as the stored values were written: blanks around it are
// allowed, anything else that is not a number is a type mismatch.
double storedNumber(std::string_view s) {
    std::string t = text::trim(s);
    const char* begin = t.data();
    const char* end = t.data() + t.size();
    if (begin != end && *begin == '+') ++begin;
    double value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value);
    if (t.empty() || ec != std::errc() || stop != end || !std::isfinite(value)) throw core::typeMismatchError();
    return value;
}

long storedWhole(std::string_view s, long low, long high) {
    const double v = text::roundHalfEven(storedNumber(s));
    if (v < double(low) || v > double(high)) throw core::overflowError();
    return long(v);
}

bool storedBoolean(std::string_view s) {
    const std::string t = text::trim(s);
    if (text::equalsNoCase(t, "True")) return true;
    if (text::equalsNoCase(t, "False")) return false;
    return storedNumber(t) != 0;
}

const char* boolText(bool b) { return b ? "True" : "False"; }

// Widths in twips a list column may be stored with.
constexpr long kMostColumnWidth = 1000000;

// A list's stored layout number, or `def` when it is absent, no number or outside low..high:
// layout values are rewritten at every exit, so a bad one is passed over without a word, as the
// window's own are.
long storedLayout(const Settings& settings, std::string_view section, std::string_view key, long low, long high,
                  long def) {
    if (!settings.contains(section, key)) return def;
    try {
        return storedWhole(settings.get(section, key), low, high);
    } catch (...) {
        return def;
    }
}

// Runs one step of the window-state restore or save; a step that fails is skipped.
template <class F>
void tryStep(F&& step) {
    try {
        step();
    } catch (...) {
    }
}

// The last column takes the list's free width again once widths were set. The header never
// stretches its last column below the width it was given, so that width is first made small: one
// stored on a wider screen then gives way instead of running behind a sideways scroll bar.
void fillWithLastColumn(QHeaderView* header) {
    header->setStretchLastSection(false);
    if (const int n = header->count(); n > 0) {
        const int last = header->logicalIndex(n - 1);
        header->resizeSection(last, std::min(header->sectionSize(last), header->defaultSectionSize()));
    }
    header->setStretchLastSection(true);
}

}  // namespace

// ---- Columns ----

void frmMain::createLogColumns(std::string_view table) {
    Folder* f = folder(table);
    static const std::pair<const char*, int> columns[] = {{"Type", 1000}, {"Index", 1200}, {"Date", 1200},
                                                          {"Time", 1200}, {"User", 1200},  {"Description", 20000}};
    std::vector<FolderColumn> cols;
    for (const auto& [key, width] : columns) cols.push_back({key, key});
    f->model->setColumns(std::move(cols));
    for (int i = 0; i < 6; ++i) f->view->header()->resizeSection(i, px(columns[i].second));
    // The description is what a log row says: it takes whatever width the list has left.
    fillWithLastColumn(f->view->header());
}

void frmMain::CreateColumns(std::string_view table) {
    Folder* f = folder(table);
    if (!f || f->model->isLog()) return;
    // The refresh that follows a rebuild keeps the selected position.
    if (const int row = firstSelectedRow(*f); row >= 0) f->keepRow = row;
    std::vector<FolderColumn> cols;
    std::vector<int> widths;
    auto apply = [&] {
        f->model->setColumns(cols);
        f->model->setSort(0, f->model->sortOrder());
        for (size_t i = 0; i < widths.size(); ++i) f->view->header()->resizeSection(int(i), px(widths[i]));
        widthFix(*f, true);
        fillWithLastColumn(f->view->header());
    };
    try {
        const int defaultWidth = int(text::roundHalfEven(folderBarWidth_ / 12.0));
        // A list without columns cannot start the program (its layout has nothing to divide
        // by) nor reach the column chooser: a choice that cannot be read is reported and counts
        // as its default, and a choice of no column at all counts as the defaults.
        bool flags[std::size(kColumnChoices)];
        std::optional<core::ErrorInfo> unreadable;
        bool any = false;
        for (size_t i = 0; i < std::size(kColumnChoices); ++i) {
            try {
                flags[i] = storedBoolean(settings_.get("Columns", kColumnChoices[i].choice, boolText(kColumnChoices[i].shown)));
            } catch (...) {
                if (!unreadable) unreadable = core::describeError(std::current_exception());
                flags[i] = kColumnChoices[i].shown;
            }
            any = any || flags[i];
        }
        if (!any)
            for (size_t i = 0; i < std::size(kColumnChoices); ++i) flags[i] = kColumnChoices[i].shown;
        if (unreadable) core::ReportError(services_, *unreadable);
        for (size_t i = 0; i < std::size(kColumnChoices); ++i) {
            if (!flags[i]) continue;
            const ColumnChoice& c = kColumnChoices[i];
            const bool ack = i == 0;
            const int width = int(storedLayout(settings_, f->table, c.field, 0, kMostColumnWidth, ack ? 270 : defaultWidth));
            cols.push_back({c.field, c.caption});
            widths.push_back(width);
        }
        apply();
    } catch (...) {
        apply();
        core::ReportError(services_);
    }
}

void frmMain::ListViewLayout(std::string_view action, std::string_view table) {
    Folder* f = folder(table);
    if (!f) return;
    const int n = f->model->columnCount();
    if (n == 0) throw core::RunError(11, "Division by zero");
    const int defaultWidth = int(text::roundHalfEven(double(folderBarWidth_) / n));
    QHeaderView* header = f->view->header();
    const auto& columns = f->model->columns();
    if (text::equalsNoCase(action, "save")) {
        for (int i = 0; i < n; ++i)
            settings_.set(f->table, columns[size_t(i)].key, std::to_string(tw(header->sectionSize(i))));
        settings_.set(f->table, "SortKey", std::to_string(f->model->sortKey()));
        settings_.set(f->table, "SortOrder", std::to_string(f->model->sortOrder()));
    } else if (text::equalsNoCase(action, "load")) {
        for (int i = 0; i < n; ++i)
            header->resizeSection(
                i, px(double(storedLayout(settings_, f->table, columns[size_t(i)].key, 0, kMostColumnWidth, defaultWidth))));
        // A key past the last column would fail every refresh of the list.
        const int sortKey = int(storedLayout(settings_, f->table, "SortKey", 0, n - 1, 0));
        const int sortOrder = int(storedLayout(settings_, f->table, "SortOrder", 0, 1, 0));
        f->model->setSort(sortKey, sortOrder);
        // The icon column keeps the one width the list events give it, from the start on.
        widthFix(*f, true);
        fillWithLastColumn(header);
    }
}

// ---- Window state ----

void frmMain::MainLayout(std::string_view action) {
    const bool save = text::equalsNoCase(action, "save");
    const bool load = text::equalsNoCase(action, "load");
    if (!save && !load) return;

    // Defaults from the screen, in twips; the splitters follow the default size, not a stored one.
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = s ? s->geometry() : QRect(0, 0, 1024, 768);
    const double screenW = area.width() * tpp_;
    const double screenH = area.height() * tpp_;
    const double defW = text::roundHalfEven(screenW * 0.75);
    const double defH = text::roundHalfEven(screenH * 0.75);
    const double defLeft = text::roundHalfEven((screenW - defW) / 2);
    const double defTop = text::roundHalfEven((screenH - defH) / 2);
    const double defV = text::roundHalfEven(defW / 4);
    const double defHSplit = text::roundHalfEven(defH / 2);
    auto number = [](double v) { return std::to_string(long(text::roundHalfEven(v))); };
    QTreeWidgetItem* topNode = folderNode("Top");
    QTreeWidgetItem* rootNode = folderNode("Root");

    if (save) {
        tryStep([&] {
            if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
        });
        const bool maximized = windowState() & Qt::WindowMaximized;
        tryStep([&] { settings_.set("Main", "State", maximized ? "2" : "0"); });
        if (!maximized) {
            tryStep([&] { settings_.set("Main", "Top", number(pos().y() * tpp_)); });
            tryStep([&] { settings_.set("Main", "Left", number(pos().x() * tpp_)); });
            tryStep([&] { settings_.set("Main", "Height", number(height() * tpp_)); });
            tryStep([&] { settings_.set("Main", "Width", number(width() * tpp_)); });
        }
        tryStep([&] { settings_.set("Main", "FolderBar", boolText(mnuFolderBar_->isChecked())); });
        tryStep([&] { settings_.set("Main", "StatusBar", boolText(mnuStatusBar_->isChecked())); });
        tryStep([&] { settings_.set("Main", "TopNode", boolText(topNode && topNode->isExpanded())); });
        tryStep([&] { settings_.set("Main", "TreeNode", boolText(rootNode && rootNode->isExpanded())); });
        tryStep([&] { settings_.set("Main", "VSplitPos", std::to_string(vSplitLeft_)); });
        tryStep([&] { settings_.set("Main", "HSplitPos", std::to_string(hSplitTop_)); });
        return;
    }

    auto read = [&](const char* key, double def) { return storedNumber(settings_.get("Main", key, number(def))); };
    tryStep([&] { move(x(), px(read("Top", defTop))); });
    tryStep([&] { move(px(read("Left", defLeft)), y()); });
    tryStep([&] { resize(width(), px(read("Height", defH))); });
    tryStep([&] { resize(px(read("Width", defW)), height()); });
    tryStep([&] {
        const long state = storedWhole(settings_.get("Main", "State", "0"), -32768, 32767);
        setWindowState(state == 2 ? Qt::WindowMaximized : state == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
    });
    {
        // Restoring the nodes is not a user's collapse.
        QSignalBlocker block(tvwFolderList_);
        tryStep([&] {
            if (topNode) topNode->setExpanded(storedBoolean(settings_.get("Main", "TopNode", "True")));
        });
        tryStep([&] {
            if (rootNode) rootNode->setExpanded(storedBoolean(settings_.get("Main", "TreeNode", "True")));
        });
    }
    tryStep([&] { mnuFolderBar_->setChecked(storedBoolean(settings_.get("Main", "FolderBar", "True"))); });
    tryStep([&] { mnuStatusBar_->setChecked(storedBoolean(settings_.get("Main", "StatusBar", "True"))); });
    tryStep([&] { vSplitLeft_ = treeWidth_ = int(text::roundHalfEven(read("VSplitPos", defV))); });
    tryStep([&] { hSplitTop_ = int(text::roundHalfEven(read("HSplitPos", defHSplit))); });
    Form_Resize();
}

}  // namespace vt::mainwindow
