// The designer window: construction, load sequence, map list, segment tree, reference tree, tabs,
// menus, the test runs and the translator's panes.

#include "maps/frmMap.h"

#include "maps/MapReport.h"
#include "maps/MapTranslator.h"

#include "core/ErrorReporter.h"
#include "core/UiSink.h"
#include "core/Globals.h"
#include "maps/DesignerData.h"
#include "maps/ReferenceTree.h"
#include "maps/ScriptEditor.h"
#include "maps/frmMapIcons.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"
#include "setup/frmReport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>

namespace vt::maps {

namespace {

QPointer<frmMap> gDesigner;

constexpr const char* kListColumns[] = {"Partner", "TSet", "Version", "I/O", "Group", "Override"};
constexpr int kListWidths[] = {1400, 600, 800, 500, 800, 800};

// Text for a pane: the widget ends a line with one character.
QString paneText(std::string_view ansi) {
    QString t = text::fromAnsi(ansi);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QTreeWidgetItem* findByKey(QTreeWidgetItem* item, const QString& key) {
    if (item->data(0, Qt::UserRole).toString() == key) return item;
    for (int i = 0; i < item->childCount(); ++i)
        if (QTreeWidgetItem* hit = findByKey(item->child(i), key)) return hit;
    return nullptr;
}

void addNodes(QTreeWidgetItem* parent, const TreeNode& node, std::vector<QTreeWidgetItem*>& expanded,
              const std::string& selectedKey, QTreeWidgetItem*& selected, const frmMap& w) {
    for (const auto& child : node.children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, text::fromAnsi(child->text));
        item->setData(0, Qt::UserRole, QString::fromStdString(child->key));
        item->setIcon(0, w.treeIcon(child->image));
        if (child->expanded) expanded.push_back(item);
        if (child->key == selectedKey) selected = item;
        addNodes(item, *child, expanded, selectedKey, selected, w);
    }
}

}  // namespace

// The translator's view: this window's panes and controls.
class frmMap::PaneView : public TranslatorView {
public:
    explicit PaneView(frmMap& w) : w_(w) {}
    void setControlsEnabled(bool enabled) override { w_.setControlsEnabled(enabled); }
    void clearImmediate() override { w_.clearImmediate(); }
    void appendImmediate(std::string_view text) override { w_.appendImmediate(text); }
    void showTransaction(std::string_view text) override { w_.showTransaction(text); }
    void selectTransaction(std::size_t offset, std::size_t length) override { w_.selectTransaction(offset, length); }
    void showPreview(std::string_view text) override { w_.showPreview(text); }

private:
    frmMap& w_;
};

const std::array<std::string_view, 3> frmMap::kTabCaptions = {"Expression Builder", "Immediate", "Transactions"};

frmMap::frmMap(const core::Services& s, Host host, QWidget* parent)
    : QMainWindow(parent, parent ? Qt::Window : Qt::WindowFlags()),
      s_(s),
      host_(std::move(host)),
      view_(std::make_unique<PaneView>(*this)),
      panels_(s) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Map Designer"));
    tpp_ = 1440.0 / std::max(1, logicalDpiX());
    buildWindow();
}

frmMap::~frmMap() {
    if (SharedTranslator().view() == view_.get()) SharedTranslator().setView(nullptr);
}

void frmMap::buildWindow() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuGuideline_ = file->addAction(QStringLiteral("View &Guideline"));
    mnuGuideline_->setObjectName(QStringLiteral("mnuGuideline"));
    file->addSeparator()->setObjectName(QStringLiteral("mnuBar1"));
    mnuClose_ = file->addAction(QStringLiteral("&Close"));
    mnuClose_->setObjectName(QStringLiteral("mnuClose"));
    connect(mnuClose_, &QAction::triggered, this, [this] { mnuClose_Click(); });
    connect(mnuGuideline_, &QAction::triggered, this, [this] { mnuGuideline_Click(); });
    sbrStatusBar_ = statusBar();
    sbrStatusBar_->setObjectName(QStringLiteral("sbrStatusBar"));
    sbrStatusBar_->setSizeGripEnabled(true);

    lvwTSets_ = new QTreeWidget(client);
    lvwTSets_->setObjectName(QStringLiteral("lvwTSets"));
    lvwTSets_->setRootIsDecorated(false);
    lvwTSets_->setUniformRowHeights(true);
    lvwTSets_->setAllColumnsShowFocus(true);
    lvwTSets_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(lvwTSets_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { lvwTSets_ItemClick(lvwTSets_->indexOfTopLevelItem(item)); });
    lvwTSets_->installEventFilter(this);

    tvwTSets_ = new QTreeWidget(client);
    tvwTSets_->setObjectName(QStringLiteral("tvwTSets"));
    tvwTSets_->setHeaderHidden(true);
    tvwTSets_->setUniformRowHeights(true);
    // Deep loops and long descriptions scroll sideways instead of being cut at the pane's edge.
    tvwTSets_->header()->setStretchLastSection(false);
    tvwTSets_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tvwTSets_->viewport()->installEventFilter(this);
    auto keyOf = [](QTreeWidgetItem* item) { return text::toAnsi(item->data(0, Qt::UserRole).toString()); };
    connect(tvwTSets_, &QTreeWidget::itemClicked, this, [this, keyOf](QTreeWidgetItem* item) {
        treeMousePress_ = false;
        tvwTSets_NodeClick(keyOf(item));
    });
    // A node chosen with the keyboard shows its panel as a click would.
    connect(tvwTSets_, &QTreeWidget::currentItemChanged, this, [this, keyOf](QTreeWidgetItem* item) {
        if (buildingTree_ || treeMousePress_ || !item) return;
        tvwTSets_NodeClick(keyOf(item));
    });
    connect(tvwTSets_, &QTreeWidget::itemExpanded, this, [this, keyOf](QTreeWidgetItem* item) {
        if (!buildingTree_) tvwTSets_Expand(keyOf(item));
    });
    connect(tvwTSets_, &QTreeWidget::itemCollapsed, this, [this, keyOf](QTreeWidgetItem* item) {
        if (!buildingTree_) tvwTSets_Collapse(keyOf(item));
    });

    buildPanels();
    buildLowerBand();
    connectDirtyFlags();
}

void frmMap::buildLowerBand() {
    QWidget* client = centralWidget();
    auto* tabs = new QFrame(client);
    tabs->setObjectName(QStringLiteral("sstControls"));
    tabs->setFrameShape(QFrame::StyledPanel);
    sstControls_ = tabs;
    tabBar_ = new QTabBar(tabs);
    tabBar_->setObjectName(QStringLiteral("sstControlsTabs"));
    tabBar_->setShape(QTabBar::RoundedSouth);
    tabBar_->setDrawBase(false);
    tabBar_->setExpanding(false);
    for (int i = 0; i < 3; ++i) tabBar_->addTab(QString::fromLatin1(kTabCaptions[size_t(i)].data()));
    connect(tabBar_, &QTabBar::currentChanged, this, [this](int) { sstControls_Click(0); });

    tvwReference_ = new ReferenceTreeWidget(tabs);
    tvwReference_->setObjectName(QStringLiteral("tvwReference"));
    txtScript_ = new ScriptEditor(tabs);
    txtScript_->setObjectName(QStringLiteral("txtScript"));
    auto pane = [&](const char* name) {
        auto* edit = new QPlainTextEdit(tabs);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setFont(txtScript_->font());
        edit->hide();
        return edit;
    };
    txtImmediate_ = pane("txtImmediate");
    txtTransaction_ = pane("txtTransaction");
}

// ---- Load ----

void frmMap::Form_Load() {
    if (loaded_) return;
    loaded_ = true;
    SharedTranslator().setView(view_.get());
    for (Bar b : {Bar::HSplit, Bar::VSplitLeft, Bar::VSplitRight, Bar::VSplitCenter}) setBarColour(b, false);

    auto fill = [](QComboBox* box, auto& items) {
        QSignalBlocker block(box);
        for (std::string_view item : items) box->addItem(text::fromAnsi(item));
        box->setCurrentIndex(-1);
    };
    fill(cboSegmentUsage_, kSegmentUsageItems);
    fill(cboSegmentLevel_, kSegmentLevelItems);
    fill(cboElementUsage_, kElementUsageItems);
    fill(cboElementType_, kElementTypeItems);

    // The design size the bar defaults follow.
    designWidth_ = 12000;
    designHeight_ = 9000;
    resize(px(designWidth_), px(designHeight_));

    LoadTransactionList();
    MainLayout("Load");
    LoadReferenceTree();
    {
        QSignalBlocker block(tabBar_);
        tabBar_->setCurrentIndex(0);
    }
    sstControls_Click(0);
}

void frmMap::closeEvent(QCloseEvent* e) {
    // The translator writes into these panes: they must outlive its run.
    if (SharedTranslator().running() && SharedTranslator().view() == view_.get()) {
        e->ignore();
        return;
    }
    if (loaded_ && !unloaded_) {
        // Edits of the panels exist nowhere else: they are saved, dropped or the close is called off.
        syncSegment();
        syncElement();
        if (!panels_.askBeforeClosing()) {
            e->ignore();
            return;
        }
        unloaded_ = true;
        MainLayout("Save");
    }
    if (SharedTranslator().view() == view_.get()) SharedTranslator().setView(nullptr);
    e->accept();
}

void frmMap::mnuClose_Click() { close(); }

void frmMap::mnuGuideline_Click() {
    if (!lvwTSets_->currentItem()) return;
    readCurrentMap();
    if (auto guideline = OpenGuideline(s_, current_)) setup::frmReport::Show(s_.settings, std::move(guideline));
}

// ---- Map list ----

void frmMap::LoadTransactionList() {
    try {
        lvwTSets_->clear();
        lvwTSets_->setColumnCount(6);
        QStringList headers;
        for (const char* c : kListColumns) headers << QString::fromLatin1(c);
        lvwTSets_->setHeaderLabels(headers);
        for (int i = 0; i < 6; ++i) lvwTSets_->header()->resizeSection(i, px(kListWidths[i]));

        const std::vector<MapListRow> rows = ListDesignerMaps(s_.db);
        if (rows.empty()) {
            fraSegment_->show();
            fraElement_->hide();
            return;
        }
        QSignalBlocker block(lvwTSets_);
        for (const MapListRow& r : rows) {
            auto* item = new QTreeWidgetItem(lvwTSets_);
            const std::string* texts[] = {&r.key.partner, &r.key.transaction, &r.key.version, &r.key.direction,
                                          &r.group,       &r.versionOverride};
            for (int i = 0; i < 6; ++i) item->setText(i, text::fromAnsi(*texts[i]));
        }
        lvwTSets_->setCurrentItem(lvwTSets_->topLevelItem(0));
        selectedKey_ = "Segment0101";
        LoadSegmentTree();
    } catch (...) {
        core::ReportError(s_);
    }
}

void frmMap::lvwTSets_ItemClick(int row) {
    if (loadingMap_) return;
    if (row < 0 || row >= lvwTSets_->topLevelItemCount()) return;
    loadingMap_ = true;
    {
        QSignalBlocker block(lvwTSets_);
        lvwTSets_->setCurrentItem(lvwTSets_->topLevelItem(row));
    }
    selectedKey_ = "Segment0101";
    LoadSegmentTree();
    LoadReferenceTree();
    loadingMap_ = false;
}

bool frmMap::readCurrentMap() {
    QTreeWidgetItem* item = lvwTSets_->currentItem();
    if (!item) return false;
    current_ = MapKey{text::toAnsi(item->text(0)), text::toAnsi(item->text(1)), text::toAnsi(item->text(2)),
                      text::toAnsi(item->text(3))};
    return true;
}

// ---- Segment tree ----

QTreeWidgetItem* frmMap::treeNode(std::string_view key) const {
    const QString k = QString::fromStdString(std::string(key));
    for (int i = 0; i < tvwTSets_->topLevelItemCount(); ++i)
        if (QTreeWidgetItem* hit = findByKey(tvwTSets_->topLevelItem(i), k)) return hit;
    return nullptr;
}

std::string frmMap::selectedNodeKey() const {
    QTreeWidgetItem* item = tvwTSets_->currentItem();
    return item ? text::toAnsi(item->data(0, Qt::UserRole).toString()) : std::string();
}

void frmMap::LoadSegmentTree() {
    buildingTree_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{buildingTree_};
    QSignalBlocker block(tvwTSets_);
    try {
        if (!readCurrentMap()) return;
        const std::string key = current_.text();
        // Unsaved panel changes of another map are offered for saving, never written elsewhere.
        panels_.chooseMap(current_);
        loadedMapKey_ = key;

        tvwTSets_->clear();
        auto* rootItem = new QTreeWidgetItem(tvwTSets_);
        rootItem->setText(0, text::fromAnsi(key));
        rootItem->setData(0, Qt::UserRole, QStringLiteral("Root"));
        rootItem->setIcon(0, treeIcon("Segment"));

        const Map map = LoadMap(s_.db, current_);
        TreeNode root;
        std::exception_ptr failure;
        try {
            BuildSegmentTree(map, root);
        } catch (...) {
            failure = std::current_exception();   // shown as far as it was built, then reported
        }
        std::vector<QTreeWidgetItem*> expanded;
        QTreeWidgetItem* selected = selectedKey_ == "Root" ? rootItem : nullptr;
        addNodes(rootItem, root, expanded, selectedKey_, selected, *this);
        if (selectedKey_.empty() && !map.segments.empty())
            selected = treeNode(SegmentKey(map.segments.front().node, 1));
        rootItem->setExpanded(true);
        for (QTreeWidgetItem* item : expanded) item->setExpanded(true);
        if (selected) {
            tvwTSets_->setCurrentItem(selected);
            tvwTSets_->scrollToItem(selected);
        }
        if (failure) std::rethrow_exception(failure);
    } catch (...) {
        core::ReportError(s_);
        return;
    }
    buildingTree_ = false;
    if (text::toUpper(selectedKey_).find("SEGMENT") != std::string::npos) ShowSegmentProperties(2);
    else if (text::toUpper(selectedKey_).find("ELEMENT") != std::string::npos) ShowElementProperties();
}

void frmMap::treeEvent(std::string_view key, int expandState) {
    const std::string upper = text::toUpper(key);
    // The node the event came from is the one shown, as a click selects it.
    if (QTreeWidgetItem* node = treeNode(key); node && node != tvwTSets_->currentItem()) {
        QSignalBlocker block(tvwTSets_);
        tvwTSets_->setCurrentItem(node);
    }
    if (upper.find("SEGMENT") != std::string::npos) {
        ShowSegmentProperties(expandState);
    } else if (upper.find("ELEMENT") != std::string::npos) {
        ShowElementProperties();
    } else if (upper.find("ROOT") != std::string::npos) {
        panels_.rootSelected();
        fraSegment_->setEnabled(false);
        fraElement_->setEnabled(false);
        sstControls_->setEnabled(false);
    }
}

// ---- Reference tree ----

void frmMap::LoadReferenceTree() {
    tvwReference_->clear();
    s_.ui.yield();
    // No map, no tree: a layout file named by empty key parts would be written otherwise.
    if (!lvwTSets_->currentItem()) return;
    std::vector<ReferenceBranch> tree;
    try {
        tree = BuildReferenceTree(s_, current_);
    } catch (...) {
        return;   // each branch reports its own failures
    }
    for (const ReferenceBranch& branch : tree) {
        auto* root = new QTreeWidgetItem(tvwReference_);
        root->setText(0, text::fromAnsi(branch.root.text));
        root->setData(0, Qt::UserRole, QString::fromStdString(branch.root.key));
        root->setIcon(0, treeIcon(branch.root.image));
        for (const ReferenceNode& n : branch.children) {
            auto* item = new QTreeWidgetItem(root);
            item->setText(0, text::fromAnsi(n.text));
            item->setData(0, Qt::UserRole, text::fromAnsi(n.key));
            item->setIcon(0, treeIcon(n.image));
        }
    }
}

// The pictures are drawn once a window: a tree of thousands of nodes shares them.
QIcon frmMap::treeIcon(std::string_view key) const {
    auto it = icons_.find(key);
    if (it == icons_.end()) it = icons_.emplace(std::string(key), icons::tree(key)).first;
    return it->second;
}

// ---- Tabs ----

void frmMap::sstControls_Click(int) {
    txtScript_->hide();
    tvwReference_->hide();
    txtImmediate_->hide();
    txtTransaction_->hide();
    QWidget* center = bar(Bar::VSplitCenter);
    switch (tabBar_->currentIndex()) {
    case 0:
        txtScript_->show();
        tvwReference_->show();
        center->show();
        center->raise();
        break;
    case 1:
        txtImmediate_->show();
        center->hide();
        break;
    case 2:
        txtTransaction_->show();
        center->hide();
        break;
    default: break;
    }
}

// ---- Test runs ----

namespace {

// Passes everything on to the program's sink and keeps what a test run reported: its last
// status text and how many "Error" rows it logged.
class RunWatch final : public core::ForwardingSink {
public:
    explicit RunWatch(core::UiSink& to) : ForwardingSink(to) {}
    std::string lastText;
    int errors = 0;

    void status(int panel, std::string_view text) override {
        if (panel == 1) lastText.assign(text);
        inner_.status(panel, text);
    }
    int appendHistoryItem(const core::HistoryItem& item) override {
        if (item.icon == "Error") ++errors;
        return inner_.appendHistoryItem(item);
    }
};

}  // namespace

void frmMap::cmdProcess_Click() {
    QTreeWidgetItem* item = lvwTSets_->currentItem();
    if (!item) return;
    const MapKey map{text::toAnsi(item->text(0)), text::toAnsi(item->text(1)), text::toAnsi(item->text(2)),
                     text::toAnsi(item->text(3))};
    // The main window's status bar is behind this window: the run reports here too.
    sbrStatusBar_->clearMessage();
    RunWatch watch(s_.ui);
    const core::Services watched{s_.db, watch, s_.clock, s_.settings};
    std::string said;
    if (map.direction == "O") {
        const std::string refused = SharedTranslator().ProcessOutbound(watched, map, false);
        said = refused.empty() ? "Loaded into the Outbox: " + SharedTranslator().lastOutboundFile().filename().string()
                               : refused;
    } else {
        std::optional<folders::FolderSelection> inbox = host_.inbox ? host_.inbox() : std::nullopt;
        if (!inbox) inbox.emplace(folders::FolderSelection{"Inbox", {}, {}, std::nullopt});
        SharedTranslator().ProcessInbound(watched, *inbox, map);
        said = watch.lastText;
    }
    sbrStatusBar_->showMessage(text::fromAnsi(core::PointToHistory(said, watch.errors)));
}

std::string frmMap::statusText() const { return text::toAnsi(sbrStatusBar_->currentMessage()); }

automation::Ref<automation::Recordset> frmMap::TranslateAll(const folders::FolderSelection& list, const MapKey& key,
                                                            bool exportRun, bool silent) {
    Form_Load();
    if (SharedTranslator().view() != view_.get()) SharedTranslator().setView(view_.get());
    return SharedTranslator().TranslateAll(s_, list, key, exportRun, silent);
}

// ---- Translator panes ----

void frmMap::setControlsEnabled(bool enabled) {
    if (enabled) flushImmediate();
    for (QWidget* w : {static_cast<QWidget*>(fraSegment_), static_cast<QWidget*>(fraElement_), sstControls_,
                       static_cast<QWidget*>(tvwTSets_), static_cast<QWidget*>(lvwTSets_)})
        w->setEnabled(enabled);
    // Closing the window or opening a report would pull the panes from under the run.
    mnuGuideline_->setEnabled(enabled);
    mnuClose_->setEnabled(enabled);
}

void frmMap::clearImmediate() {
    pendingImmediate_.clear();
    txtImmediate_->clear();
}

// A run stores fields by the thousand: the pane takes them in batches, when events run.
void frmMap::appendImmediate(std::string_view text) {
    pendingImmediate_ += paneText(text);
    if (immediateFlushQueued_) return;
    immediateFlushQueued_ = true;
    QTimer::singleShot(0, this, [this] { flushImmediate(); });
}

void frmMap::flushImmediate() {
    immediateFlushQueued_ = false;
    if (pendingImmediate_.isEmpty()) return;
    QTextCursor cursor(txtImmediate_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(pendingImmediate_);
    pendingImmediate_.clear();
    txtImmediate_->setTextCursor(cursor);
}

void frmMap::showTransaction(std::string_view text) {
    transactionText_.assign(text);
    txtTransaction_->setPlainText(paneText(text));
}

void frmMap::selectTransaction(std::size_t offset, std::size_t length) {
    const std::string& t = transactionText_;
    auto position = [&](std::size_t at) {
        at = std::min(at, t.size());
        std::size_t pairs = 0;
        for (std::size_t i = 0; i + 1 < at; ++i)
            if (t[i] == '\r' && t[i + 1] == '\n') ++pairs;
        return int(at - pairs);
    };
    QTextCursor cursor(txtTransaction_->document());
    cursor.setPosition(position(offset));
    cursor.setPosition(position(offset + length), QTextCursor::KeepAnchor);
    txtTransaction_->setTextCursor(cursor);
    txtTransaction_->ensureCursorVisible();
}

void frmMap::showPreview(std::string_view text) {
    if (host_.preview) host_.preview(text);
}

std::string frmMap::scriptText() const {
    QString t = txtScript_->toPlainText();
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text::toAnsi(t);
}

// ---- Events ----

bool frmMap::eventFilter(QObject* watched, QEvent* e) {
    // A press makes the pressed node current before the click reports it: the click shows it.
    if (watched == tvwTSets_->viewport() && e->type() == QEvent::MouseButtonPress) treeMousePress_ = true;
    if (watched == tvwTSets_->viewport() && e->type() == QEvent::MouseButtonRelease)
        QTimer::singleShot(0, this, [this] { treeMousePress_ = false; });
    if (watched == lvwTSets_ && e->type() == QEvent::KeyRelease) {
        // Moving through the list with the keyboard chooses the map as a click does.
        switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Home: case Qt::Key_End: case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (lvwTSets_->currentItem()) lvwTSets_ItemClick(lvwTSets_->indexOfTopLevelItem(lvwTSets_->currentItem()));
            break;
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---- The one instance ----

frmMap& MapDesigner(const core::Services& s, frmMap::Host host, QWidget* owner) {
    if (!gDesigner) {
        gDesigner = new frmMap(s, std::move(host), owner);
        gDesigner->setAttribute(Qt::WA_DeleteOnClose);
        gDesigner->Form_Load();
    }
    return *gDesigner;
}

frmMap* LoadedMapDesigner() { return gDesigner.data(); }

}  // namespace vt::maps
