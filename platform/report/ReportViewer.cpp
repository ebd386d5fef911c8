#include "ReportViewer.h"

#include "Binding.h"
#include "Engine.h"
#include "platform/text/AnsiQt.h"
#include "platform/widgets/BoxTitle.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <map>

namespace vt::report {

namespace {

constexpr std::array<std::string_view, 22> kSwitches = {
    "AnimationControl",   "DisplayBackgroundEdge", "DisplayBorder",        "DisplayGroupTree",
    "DisplayTabs",        "DisplayToolbar",        "EnableCloseButton",    "EnableDrillDown",
    "EnableGroupTree",    "EnablePrintButton",     "EnableProgressControl", "EnableRefreshButton",
    "EnableSearchControl", "SearchExpertButton",   "SelectExpertButton",   "EnableStopButton",
    "EnableToolbar",      "EnableZoomControl",     "ExportButton",         "HelpButton",
    "NavigationControls", "PopupMenu"};

constexpr int kZoomLevels[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};

QString fromAnsi(const std::string& s) { return text::fromAnsi(s); }

const QString kNoReport = QStringLiteral("No report");

}  // namespace

// The page in front, drawn at the viewer's zoom on a grey edge (or edge to edge without it).
class PageCanvas : public QWidget {
public:
    explicit PageCanvas(ReportViewer* viewer) : QWidget(viewer), viewer_(viewer) {
        setObjectName(QStringLiteral("pageCanvas"));
        setAutoFillBackground(false);
        setFocusPolicy(Qt::StrongFocus);
    }
    bool edge = true;
    const PlacedItem* highlight = nullptr;

    double scale() const { return logicalDpiX() / 1440.0 * viewer_->zoomLevel() / 100.0; }
    int margin() const { return edge ? 16 : 0; }
    QSize pageSize() const {
        const Layout* l = viewer_->currentLayout();
        if (!l) return {0, 0};
        return {int(l->pageWidth * scale() + 0.5), int(l->pageHeight * scale() + 0.5)};
    }
    void updateSize() {
        QSize p = pageSize();
        // Without pages the canvas still has room to say so.
        if (p.isEmpty()) {
            const QFontMetrics fm(font());
            p = QSize(fm.horizontalAdvance(kNoReport) + 4 * fm.height(), 4 * fm.height());
        }
        resize(p.width() + 2 * margin(), p.height() + 2 * margin());
        update();
    }
    // Page twips under a point of the canvas, or (-1, -1) off the page.
    QPoint toTwips(QPoint at) const {
        const double s = scale();
        const QPoint p = at - QPoint(margin(), margin());
        if (p.x() < 0 || p.y() < 0 || p.x() > pageSize().width() || p.y() > pageSize().height()) return {-1, -1};
        return {int(p.x() / s), int(p.y() / s)};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), edge ? QColor(0x80, 0x80, 0x80) : QColor(Qt::white));
        const Layout* l = viewer_->currentLayout();
        if (!l || l->pages.empty()) {
            painter.setPen(edge ? Qt::white : Qt::black);
            painter.drawText(rect(), Qt::AlignCenter, kNoReport);
            return;
        }
        const QRect page(QPoint(margin(), margin()), pageSize());
        if (edge) painter.fillRect(page.translated(4, 4), QColor(0x40, 0x40, 0x40));
        painter.fillRect(page, Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const double s = scale();
        // The found item is marked under its text, so the text stays readable.
        QRectF found;
        if (highlight) {
            found = QRectF(margin() + highlight->x * s, margin() + highlight->y * s, highlight->width * s,
                           highlight->height * s);
            painter.fillRect(found, QColor(0xff, 0xee, 0x66));
        }
        drawPage(painter, *l, viewer_->currentPage(), s, QPointF(margin(), margin()));
        if (highlight) {
            painter.setPen(QPen(QColor(0x33, 0x66, 0xcc), 1));
            painter.drawRect(found);
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        const QPoint t = toTwips(e->pos());
        if (t.x() >= 0) viewer_->itemDoubleClickedAt(t.x(), t.y());
    }
    void contextMenuEvent(QContextMenuEvent* e) override { viewer_->popupAt(e->globalPos()); }
    // Paging keys turn pages rather than scroll; the others scroll the page.
    void keyPressEvent(QKeyEvent* e) override { viewer_->keyPressEvent(e); }

private:
    ReportViewer* viewer_;
};

std::span<const std::string_view> ReportViewer::switchNames() { return kSwitches; }

ReportViewer::ReportViewer(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("crxViewer"));
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->setSpacing(0);
    buildToolbar();
    outer->addWidget(toolbar_);

    tabs_ = new QTabBar(this);
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setDocumentMode(true);
    tabs_->setExpanding(false);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int i) {
        if (i >= 0 && i != view_) setCurrentView(i);
    });
    outer->addWidget(tabs_);

    auto* split = new QSplitter(Qt::Horizontal, this);
    groupTree_ = new QTreeWidget(split);
    groupTree_->setObjectName(QStringLiteral("groupTree"));
    groupTree_->setHeaderHidden(true);
    groupTree_->setMinimumWidth(120);
    connect(groupTree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const Layout* l = currentLayout();
        const int g = item->data(0, Qt::UserRole).toInt();
        if (!l || g < 0 || g >= int(l->groups.size())) return;
        showPage(l->groups[size_t(g)].page);
        scroll_->verticalScrollBar()->setValue(int(l->groups[size_t(g)].y * canvas_->scale()));
    });
    connect(groupTree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (drillDown_) drillDown(item->data(0, Qt::UserRole).toInt());
    });
    scroll_ = new QScrollArea(split);
    scroll_->setObjectName(QStringLiteral("pageArea"));
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    canvas_ = new PageCanvas(this);
    scroll_->setWidget(canvas_);
    split->addWidget(groupTree_);
    split->addWidget(scroll_);
    split->setStretchFactor(1, 1);
    split->setSizes({180, 600});
    outer->addWidget(split, 1);

    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(4, 2, 4, 2);
    animation_ = new QLabel(this);
    animation_->setObjectName(QStringLiteral("animation"));
    animation_->setMinimumWidth(70);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setMaximumWidth(180);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(QStringLiteral("0 records"));
    statusRow->addWidget(animation_);
    statusRow->addStretch(1);
    statusRow->addWidget(progress_);
    outer->addLayout(statusRow);
    setBusy(false);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("popupMenu"));
    // The pop-up shares its first entries with the toolbar, whose buttons keep their plain text.
    for (const auto& [name, caption] : {std::pair{"refresh", "&Refresh"}, {"print", "&Print"}, {"export", "&Export"},
                                        {"findNext", "Find &Next"}, {"closeView", "&Close View"}}) {
        QAction* a = action(name);
        a->setIconText(a->text());
        a->setText(QString::fromLatin1(caption));
        popup_->addAction(a);
    }
    popup_->addSeparator();
    popup_->addAction(QStringLiteral("Zoom &100%"), this, [this] { setZoomLevel(100); });
    popup_->addAction(QStringLiteral("Zoom &In"), this, [this] { setZoomLevel(zoom_ * 3 / 2); });
    popup_->addAction(QStringLiteral("Zoom &Out"), this, [this] { setZoomLevel(zoom_ * 2 / 3); });
    updateNavigation();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::buildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar_->setIconSize(QSize(16, 16));
    auto add = [this](std::string_view name, const QString& text, const QString& tip, QKeySequence key,
                      std::function<void()> fn) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name.data(), int(name.size())));
        a->setToolTip(tip);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        connect(a, &QAction::triggered, this, [fn = std::move(fn)] { fn(); });
        actions_.emplace_back(name, a);
        return a;
    };
    toolbar_->addAction(add("closeView", QStringLiteral("Close View"), QStringLiteral("Close the drill-down view"),
                            QKeySequence(Qt::CTRL | Qt::Key_W), [this] { closeView(); }));
    toolbar_->addAction(add("print", QStringLiteral("Print"), QStringLiteral("Print the report"),
                            QKeySequence::Print, [this] { printWithDialog(); }));
    toolbar_->addAction(add("export", QStringLiteral("Export"), QStringLiteral("Export the report to a file"),
                            QKeySequence(Qt::CTRL | Qt::Key_E), [this] { exportWithDialog(); }));
    toolbar_->addAction(add("refresh", QStringLiteral("Refresh"), QStringLiteral("Take the data again"),
                            QKeySequence::Refresh, [this] { refresh(); }));
    toolbar_->addSeparator();

    navigation_ = new QWidget(toolbar_);
    navigation_->setObjectName(QStringLiteral("navigation"));
    auto* nav = new QHBoxLayout(navigation_);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(2);
    auto navButton = [&](const QString& text, const QString& tip, std::function<void()> fn) {
        auto* b = new QToolButton(navigation_);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [fn = std::move(fn)] { fn(); });
        nav->addWidget(b);
    };
    navButton(QStringLiteral("|<"), QStringLiteral("First page"), [this] { showPage(0); });
    navButton(QStringLiteral("<"), QStringLiteral("Previous page"), [this] { showPage(page_ - 1); });
    pageEdit_ = new QLineEdit(navigation_);
    pageEdit_->setObjectName(QStringLiteral("pageNumber"));
    pageEdit_->setFixedWidth(44);
    pageEdit_->setAlignment(Qt::AlignRight);
    pageEdit_->setValidator(new QIntValidator(1, 99999, pageEdit_));
    connect(pageEdit_, &QLineEdit::returnPressed, this, [this] { showPage(pageEdit_->text().toInt() - 1); });
    nav->addWidget(pageEdit_);
    pageOf_ = new QLabel(navigation_);
    nav->addWidget(pageOf_);
    navButton(QStringLiteral(">"), QStringLiteral("Next page"), [this] { showPage(page_ + 1); });
    navButton(QStringLiteral(">|"), QStringLiteral("Last page"), [this] { showPage(pageCount() - 1); });
    navigation_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);   // spare room goes to the end
    toolbar_->addWidget(navigation_);

    auto* stop = add("stop", QStringLiteral("Stop"), QStringLiteral("Stop the search"), QKeySequence(Qt::Key_Escape),
                     [this] { stopRequested_ = true; });
    toolbar_->addAction(stop);
    toolbar_->addSeparator();

    zoomBox_ = new QComboBox(toolbar_);
    zoomBox_->setObjectName(QStringLiteral("zoom"));
    zoomBox_->setToolTip(QStringLiteral("Zoom"));
    for (int z : kZoomLevels) zoomBox_->addItem(QStringLiteral("%1%").arg(z), z);
    zoomBox_->setCurrentIndex(3);
    connect(zoomBox_, &QComboBox::activated, this, [this](int i) { setZoomLevel(zoomBox_->itemData(i).toInt()); });
    toolbar_->addWidget(zoomBox_);
    toolbar_->addSeparator();

    searchEdit_ = new QLineEdit(toolbar_);
    searchEdit_->setObjectName(QStringLiteral("search"));
    searchEdit_->setPlaceholderText(QStringLiteral("Find text"));
    searchEdit_->setClearButtonEnabled(true);
    searchEdit_->setMaximumWidth(140);
    // A crowded toolbar squeezes the box; its hint stays readable (room for the clear button too).
    searchEdit_->setMinimumWidth(searchEdit_->fontMetrics().horizontalAdvance(searchEdit_->placeholderText()) + 40);
    connect(searchEdit_, &QLineEdit::returnPressed, this, [this] { findNext(searchEdit_->text()); });
    toolbar_->addWidget(searchEdit_);
    // Enter in the box and F3 find the next match (the pop-up menu has it too), which leaves room
    // for the whole toolbar in a window 1024 pixels wide.
    searchEdit_->setToolTip(QStringLiteral("Find text: Enter or F3 finds the next match"));
    add("findNext", QStringLiteral("Find Next"), QStringLiteral("Find the next match"), QKeySequence::FindNext,
        [this] { findNext(searchEdit_->text()); });
    toolbar_->addAction(add("searchExpert", QStringLiteral("Search Expert"),
                            QStringLiteral("Find a value in one field"), {}, [this] { searchExpert(); }));
    toolbar_->addAction(add("selectExpert", QStringLiteral("Select Expert"),
                            QStringLiteral("Show only the records of one field value"), {}, [this] { selectExpert(); }));
    toolbar_->addSeparator();
    toolbar_->addAction(add("help", QStringLiteral("Help"), QStringLiteral("Keys of the viewer"),
                            QKeySequence::HelpContents, [this] { showHelp(); }));
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QAction::triggered, this, [this] {
        searchEdit_->setFocus();
        searchEdit_->selectAll();
    });
    addAction(find);
}

QAction* ReportViewer::action(std::string_view name) const {
    for (const auto& [n, a] : actions_)
        if (n == name) return a;
    return nullptr;
}

QWidget* ReportViewer::pageArea() const { return scroll_; }
bool ReportViewer::backgroundEdgeShown() const { return canvas_->edge; }

bool ReportViewer::setSwitch(std::string_view name, bool on) {
    auto enable = [on](QWidget* w) { w->setEnabled(on); };
    auto show = [on](QWidget* w) { w->setVisible(on); };
    auto act = [this, on](const char* n) { action(n)->setEnabled(on); };
    if (name == "AnimationControl") enable(animation_);
    else if (name == "DisplayBackgroundEdge") { canvas_->edge = on; canvas_->updateSize(); }
    else if (name == "DisplayBorder") setFrameShape(on ? QFrame::StyledPanel : QFrame::NoFrame);
    else if (name == "DisplayGroupTree") show(groupTree_);
    else if (name == "DisplayTabs") show(tabs_);
    else if (name == "DisplayToolbar") show(toolbar_);
    else if (name == "EnableCloseButton") act("closeView");
    else if (name == "EnableDrillDown") drillDown_ = on;
    else if (name == "EnableGroupTree") enable(groupTree_);
    else if (name == "EnablePrintButton") act("print");
    else if (name == "EnableProgressControl") enable(progress_);
    else if (name == "EnableRefreshButton") act("refresh");
    else if (name == "EnableSearchControl") { enable(searchEdit_); act("findNext"); }
    else if (name == "SearchExpertButton") act("searchExpert");
    else if (name == "SelectExpertButton") act("selectExpert");
    else if (name == "EnableStopButton") act("stop");
    else if (name == "EnableToolbar") enable(toolbar_);
    else if (name == "EnableZoomControl") enable(zoomBox_);
    else if (name == "ExportButton") act("export");
    else if (name == "HelpButton") act("help");
    else if (name == "NavigationControls") enable(navigation_);
    else if (name == "PopupMenu") popupOn_ = on;
    else return false;
    return true;
}

bool ReportViewer::switchValue(std::string_view name) const {
    auto enabled = [](const QWidget* w) { return !w->testAttribute(Qt::WA_ForceDisabled); };
    auto act = [this](const char* n) { return action(n)->isEnabled(); };
    if (name == "AnimationControl") return enabled(animation_);
    if (name == "DisplayBackgroundEdge") return canvas_->edge;
    if (name == "DisplayBorder") return frameShape() != QFrame::NoFrame;
    if (name == "DisplayGroupTree") return !groupTree_->isHidden();
    if (name == "DisplayTabs") return !tabs_->isHidden();
    if (name == "DisplayToolbar") return !toolbar_->isHidden();
    if (name == "EnableCloseButton") return act("closeView");
    if (name == "EnableDrillDown") return drillDown_;
    if (name == "EnableGroupTree") return enabled(groupTree_);
    if (name == "EnablePrintButton") return act("print");
    if (name == "EnableProgressControl") return enabled(progress_);
    if (name == "EnableRefreshButton") return act("refresh");
    if (name == "EnableSearchControl") return enabled(searchEdit_);
    if (name == "SearchExpertButton") return act("searchExpert");
    if (name == "SelectExpertButton") return act("selectExpert");
    if (name == "EnableStopButton") return act("stop");
    if (name == "EnableToolbar") return enabled(toolbar_);
    if (name == "EnableZoomControl") return enabled(zoomBox_);
    if (name == "ExportButton") return act("export");
    if (name == "HelpButton") return act("help");
    if (name == "NavigationControls") return enabled(navigation_);
    if (name == "PopupMenu") return popupOn_;
    return false;
}

void ReportViewer::setReportSource(std::shared_ptr<ReportDocument> doc) { doc_ = std::move(doc); }

void ReportViewer::setBusy(bool busy) {
    animation_->setText(busy ? QStringLiteral("Working...") : QStringLiteral("Ready"));
    if (busy) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ReportViewer::layOut(View& v) {
    setBusy(true);
    progress_->setRange(0, 0);
    v.layout = doc_ ? layoutReport(doc_->report(), v.data.get(), doc_->runInfo(), FontMeasurer()) : Layout{};
    const int records = v.data ? int(v.data->rows.size()) : 0;
    progress_->setRange(0, std::max(records, 1));
    progress_->setValue(records);
    progress_->setFormat(records == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(records));
    setBusy(false);
}

void ReportViewer::addView(QString title, std::shared_ptr<DataTable> data) {
    View v{std::move(title), std::move(data), {}};
    layOut(v);
    views_.push_back(std::move(v));
    const QSignalBlocker block(tabs_);
    tabs_->addTab(views_.back().title);
    setCurrentView(int(views_.size()) - 1);
}

void ReportViewer::viewReport() {
    views_.clear();
    {
        const QSignalBlocker block(tabs_);
        while (tabs_->count()) tabs_->removeTab(0);
    }
    view_ = 0;
    page_ = 0;
    findPage_ = 0;
    findItem_ = -1;
    canvas_->highlight = nullptr;
    if (!doc_) {
        fillGroupTree();
        updateNavigation();
        canvas_->updateSize();
        return;
    }
    std::shared_ptr<DataTable> data;
    if (doc_->data()) data = std::make_shared<DataTable>(*doc_->data());
    addView(QStringLiteral("Preview"), std::move(data));
}

void ReportViewer::refresh() {
    if (!doc_) return;
    doc_->refresh();
    const int page = page_;
    viewReport();
    showPage(std::min(page, pageCount() - 1));
}

const Layout* ReportViewer::currentLayout() const {
    if (view_ < 0 || view_ >= int(views_.size())) return nullptr;
    return &views_[size_t(view_)].layout;
}

int ReportViewer::pageCount() const {
    const Layout* l = currentLayout();
    return l ? int(l->pages.size()) : 0;
}

int ReportViewer::viewCount() const { return int(views_.size()); }
int ReportViewer::currentView() const { return view_; }

void ReportViewer::setCurrentView(int index) {
    if (index < 0 || index >= int(views_.size())) return;
    view_ = index;
    {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(index);
    }
    page_ = 0;
    findPage_ = 0;
    findItem_ = -1;
    canvas_->highlight = nullptr;
    fillGroupTree();
    showPage(0);
}

void ReportViewer::closeView() {
    if (view_ <= 0 || view_ >= int(views_.size())) return;
    const int closing = view_;
    views_.erase(views_.begin() + closing);
    {
        const QSignalBlocker block(tabs_);
        tabs_->removeTab(closing);
    }
    setCurrentView(closing - 1);
}

void ReportViewer::showPage(int index) {
    const int pages = pageCount();
    index = std::clamp(index, 0, std::max(pages - 1, 0));
    const bool changed = index != page_;
    page_ = index;
    if (changed) {
        canvas_->highlight = nullptr;
        scroll_->verticalScrollBar()->setValue(0);
    }
    canvas_->updateSize();
    updateNavigation();
    if (changed) emit pageChanged(index);
}

void ReportViewer::updateNavigation() {
    const int pages = pageCount();
    pageEdit_->setText(pages ? QString::number(page_ + 1) : QString());
    pageOf_->setText(QStringLiteral(" of %1 ").arg(pages));
}

void ReportViewer::setZoomLevel(int percent) {
    percent = std::clamp(percent, 25, 400);
    if (percent == zoom_) return;
    zoom_ = percent;
    const int i = zoomBox_->findData(percent);
    if (i >= 0) {
        zoomBox_->setCurrentIndex(i);
    } else {
        zoomBox_->setEditable(false);
        zoomBox_->setCurrentIndex(-1);
        zoomBox_->setPlaceholderText(QStringLiteral("%1%").arg(percent));
    }
    canvas_->updateSize();
    emit zoomLevelChanged(percent);
}

void ReportViewer::fillGroupTree() {
    groupTree_->clear();
    const Layout* l = currentLayout();
    if (!l) return;
    std::vector<QTreeWidgetItem*> parents;
    for (size_t g = 0; g < l->groups.size(); ++g) {
        const GroupEntry& e = l->groups[g];
        const size_t level = size_t(std::max(e.level, 1));
        parents.resize(std::min(parents.size(), level - 1));
        auto* item = parents.empty() ? new QTreeWidgetItem(groupTree_) : new QTreeWidgetItem(parents.back());
        item->setText(0, fromAnsi(e.text));
        item->setData(0, Qt::UserRole, int(g));
        item->setToolTip(0, QStringLiteral("Page %1").arg(e.page + 1));
        parents.push_back(item);
    }
    groupTree_->expandToDepth(0);
}

std::shared_ptr<DataTable> ReportViewer::filtered(
    const std::function<bool(const std::vector<automation::Variant>&)>& keep) const {
    auto out = std::make_shared<DataTable>();
    const DataTable* all = views_.empty() ? nullptr : views_[size_t(view_)].data.get();
    if (!all) return out;
    out->columns = all->columns;
    for (const auto& row : all->rows)
        if (keep(row)) out->rows.push_back(row);
    return out;
}

void ReportViewer::drillDown(int groupIndex) {
    const Layout* l = currentLayout();
    if (!doc_ || !l || groupIndex < 0 || groupIndex >= int(l->groups.size())) return;
    const GroupEntry entry = l->groups[size_t(groupIndex)];
    // The values of the group and of every group around it, as the tree shows them.
    std::vector<std::pair<int, std::string>> match;
    int level = entry.level;
    const DataTable* all = views_[size_t(view_)].data.get();
    if (!all) return;
    for (int g = groupIndex; g >= 0 && level >= 1; --g) {
        const GroupEntry& e = l->groups[size_t(g)];
        if (e.level != level) continue;
        const auto& groups = doc_->report().groups();
        if (level > int(groups.size())) return;
        match.emplace_back(all->find(groups[size_t(level - 1)].field), e.text);
        --level;
    }
    addView(fromAnsi(entry.text), filtered([&](const std::vector<automation::Variant>& row) {
                for (const auto& [column, text] : match)
                    if (column < 0 || formatValue(row[size_t(column)], "") != text) return false;
                return true;
            }));
}

void ReportViewer::selectRecords(const QString& field, const QString& value) {
    const DataTable* all = views_.empty() ? nullptr : views_[size_t(view_)].data.get();
    if (!all) return;
    const int column = all->find(text::toAnsi(field));
    if (column < 0) return;
    const std::string wanted = text::toAnsi(value);
    addView(field + QStringLiteral(" = ") + value, filtered([&](const std::vector<automation::Variant>& row) {
                return formatValue(row[size_t(column)], "") == wanted;
            }));
}

bool ReportViewer::findNext(const QString& needle, const QString& field) {
    const Layout* l = currentLayout();
    if (!l || needle.isEmpty()) return false;
    stopRequested_ = false;
    const std::string wantedField = text::toAnsi(field);
    const int pages = int(l->pages.size());
    int page = findPage_, item = findItem_ + 1;
    // Once round from the item after the last match, back to it.
    for (int visited = 0; visited <= pages; ++visited) {
        const auto& items = l->pages[size_t(page)].items;
        for (; item < int(items.size()); ++item) {
            const PlacedItem& it = items[size_t(item)];
            if (!field.isEmpty() && (!it.object || it.object->kind != ObjectKind::Field || it.object->field != wantedField))
                continue;
            if (fromAnsi(it.text).contains(needle, Qt::CaseInsensitive)) {
                findPage_ = page;
                findItem_ = item;
                showPage(page);
                canvas_->highlight = &it;
                canvas_->update();
                scroll_->ensureVisible(int(canvas_->margin() + it.x * canvas_->scale()),
                                       int(canvas_->margin() + it.y * canvas_->scale()), 40, 40);
                return true;
            }
        }
        if ((visited & 15) == 15) {
            QApplication::processEvents();
            if (stopRequested_) return false;
        }
        page = (page + 1) % pages;
        item = 0;
    }
    return false;
}

void ReportViewer::itemDoubleClickedAt(int x, int y) {
    const Layout* l = currentLayout();
    if (!drillDown_ || !l || !doc_ || page_ >= int(l->pages.size())) return;
    const PlacedItem* hit = hitTest(l->pages[size_t(page_)], x, y);
    if (!hit) return;
    const Section& section = doc_->report().section(hit->id.section);
    if (section.kind != SectionKind::GroupHeader) return;
    // The group header placed last at or above the item on this page.
    int best = -1;
    for (int g = 0; g < int(l->groups.size()); ++g) {
        const GroupEntry& e = l->groups[size_t(g)];
        if (e.page == page_ && e.level == section.group && e.y <= hit->y) best = g;
    }
    if (best >= 0) drillDown(best);
}

void ReportViewer::popupAt(const QPoint& globalPos) {
    if (popupOn_) popup_->popup(globalPos);
}

namespace {
QString filterOf(const FormatInfo& f) {
    const QString ext = QString::fromLatin1(f.extension.data(), int(f.extension.size()));
    return QStringLiteral("%1 (*.%2 *.%3)")
        .arg(QString::fromLatin1(f.name.data(), int(f.name.size())), ext, ext.toUpper());
}


// The formats that make a file (ODBC fills a table of a data source instead).
bool isFileFormat(const FormatInfo& f) { return f.writable && !f.extension.empty(); }
}  // namespace

QString ReportViewer::exportFilter() {
    QStringList filters;
    for (const FormatInfo& f : formatTable())
        if (isFileFormat(f)) filters << filterOf(f);
    return filters.join(QStringLiteral(";;"));
}

int ReportViewer::formatOfFilter(const QString& filter) {
    for (const FormatInfo& f : formatTable())
        if (isFileFormat(f) && filter == filterOf(f)) return f.number;
    return format::None;
}

QString ReportViewer::withExportExtension(const QString& file, int formatNumber) {
    const FormatInfo* f = findFormat(formatNumber);
    if (!f || f->extension.empty()) return file;
    const QString ext = QLatin1Char('.') + QString::fromLatin1(f->extension.data(), int(f->extension.size()));
    return file.endsWith(ext, Qt::CaseInsensitive) ? file : file + ext;
}

namespace {
// Where the export dialog starts and the format it offers first: the host's export folder and
// the format of the last export, for every viewer of the program.
QString gExportFolder;
int gLastExportFormat = format::PDF;
}  // namespace

void ReportViewer::setExportFolder(const QString& folder) { gExportFolder = folder; }
int ReportViewer::lastExportFormat() { return gLastExportFormat; }

std::unique_ptr<QFileDialog> ReportViewer::exportDialog() {
    auto dialog = std::make_unique<QFileDialog>(this, QStringLiteral("Export"), gExportFolder, exportFilter());
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // The suffix follows the chosen format, so the dialog asks before replacing the file meant.
    auto suffixOf = [](const QString& filter) {
        const FormatInfo* f = findFormat(formatOfFilter(filter));
        return f ? QString::fromLatin1(f->extension.data(), int(f->extension.size())) : QString();
    };
    if (const FormatInfo* last = findFormat(gLastExportFormat); last && isFileFormat(*last))
        dialog->selectNameFilter(filterOf(*last));
    dialog->setDefaultSuffix(suffixOf(dialog->selectedNameFilter()));
    QFileDialog* d = dialog.get();
    connect(d, &QFileDialog::filterSelected, d, [d, suffixOf](const QString& filter) { d->setDefaultSuffix(suffixOf(filter)); });
    // The report's own name to start with.
    if (doc_) {
        const std::string stem = doc_->path().stem().string();
        if (!stem.empty()) d->selectFile(QString::fromStdString(stem));
    }
    return dialog;
}

QString ReportViewer::chooseExportFile(QString* chosenFilter) {
    const auto dialog = exportDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return QString();
    *chosenFilter = dialog->selectedNameFilter();
    return dialog->selectedFiles().front();
}

void ReportViewer::exportWithDialog() {
    if (!doc_) return;
    QString chosen;
    QString file = chooseExportFile(&chosen);
    if (file.isEmpty()) return;
    const int number = formatOfFilter(chosen);
    file = withExportExtension(file, number);
    ReportDocument copy = *doc_;
    auto& o = copy.exportOptions();
    o.destinationType = 1;
    o.diskFileName = file.toStdString();
    o.xmlFileName.clear();
    o.formatType = number;
    try {
        exportReport(copy);
        gLastExportFormat = number;
    } catch (const std::exception& e) {
        widgets::ShowBox(this, QMessageBox::Critical, QStringLiteral("Export"), QString::fromStdString(e.what()));
    }
}

void ReportViewer::printWithDialog() {
    if (!doc_) return;
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintOptions options;
    options.copies = std::max(printer.copyCount(), 1);
    if (printer.outputFormat() == QPrinter::PdfFormat)
        options.outputFile = printer.outputFileName().toStdString();
    else
        options.printerName = printer.printerName().toStdString();
    try {
        printOut(*doc_, options);
    } catch (const std::exception& e) {
        widgets::ShowBox(this, QMessageBox::Critical, QStringLiteral("Print"), QString::fromStdString(e.what()));
    }
}

namespace {
QStringList columnNames(const DataTable* data) {
    QStringList names;
    if (data)
        for (const Column& c : data->columns) names << text::fromAnsi(c.name);
    return names;
}
}  // namespace

void ReportViewer::searchExpert() {
    const QStringList fields = columnNames(views_.empty() ? nullptr : views_[size_t(view_)].data.get());
    if (fields.isEmpty()) return;
    bool ok = false;
    const QString field = QInputDialog::getItem(this, QStringLiteral("Search Expert"), QStringLiteral("Field:"), fields, 0,
                                                false, &ok);
    if (!ok) return;
    const QString value = QInputDialog::getText(this, QStringLiteral("Search Expert"),
                                                QStringLiteral("Find in %1:").arg(field), QLineEdit::Normal, {}, &ok);
    if (ok && !value.isEmpty() && !findNext(value, field))
        widgets::ShowBox(this, QMessageBox::Information, QStringLiteral("Search Expert"), QStringLiteral("No more matches."));
}

void ReportViewer::selectExpert() {
    const QStringList fields = columnNames(views_.empty() ? nullptr : views_[size_t(view_)].data.get());
    if (fields.isEmpty()) return;
    bool ok = false;
    const QString field = QInputDialog::getItem(this, QStringLiteral("Select Expert"), QStringLiteral("Field:"), fields, 0,
                                                false, &ok);
    if (!ok) return;
    const QString value = QInputDialog::getText(this, QStringLiteral("Select Expert"),
                                                QStringLiteral("Show the records whose %1 is:").arg(field),
                                                QLineEdit::Normal, {}, &ok);
    if (ok) selectRecords(field, value);
}

void ReportViewer::showHelp() {
    widgets::ShowBox(this, QMessageBox::Information, QStringLiteral("Report Viewer"),
                             QStringLiteral("Page Up / Page Down: previous and next page\n"
                                            "Home / End (or Ctrl+Home / Ctrl+End): first and last page\n"
                                            "Ctrl+F: find text, F3: find next\n"
                                            "Double-click a group: drill down into it\n"
                                            "Ctrl+W: close the drill-down view\n"
                                            "Ctrl+P: print, Ctrl+E: export, F5: refresh"));
}

void ReportViewer::keyPressEvent(QKeyEvent* event) {
    if (!navigation_->testAttribute(Qt::WA_ForceDisabled)) {
        switch (event->key()) {
        case Qt::Key_PageDown: showPage(page_ + 1); return;
        case Qt::Key_PageUp: showPage(page_ - 1); return;
        case Qt::Key_Home: showPage(0); return;
        case Qt::Key_End: showPage(pageCount() - 1); return;
        default: break;
        }
    }
    QFrame::keyPressEvent(event);
}

}  // namespace vt::report
