// The panes of the main window, their layout, the splitter bars and the folder tree.

#include "mainwindow/frmMain.h"

#include "core/ErrorReporter.h"
#include "mainwindow/FolderModel.h"
#include "mainwindow/frmMainIcons.h"
#include "platform/settings/Settings.h"
#include "platform/text/AnsiQt.h"
#include "platform/text/Text.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace vt::mainwindow {

// A splitter bar: reports its mouse events in twips relative to itself.
class SplitterBar : public QWidget {
public:
    using Handler = std::function<void(int button, double x, double y)>;
    SplitterBar(QWidget* parent, Qt::CursorShape shape, double twipsPerPixel)
        : QWidget(parent), shape_(shape), tpp_(twipsPerPixel) {
        setAutoFillBackground(true);
        setMouseTracking(true);
    }
    Handler onDown, onMove, onUp;
    Qt::CursorShape sizingShape() const { return shape_; }

protected:
    void mousePressEvent(QMouseEvent* e) override { send(onDown, int(e->button()), e); }
    void mouseMoveEvent(QMouseEvent* e) override { send(onMove, int(e->buttons()), e); }
    void mouseReleaseEvent(QMouseEvent* e) override { send(onUp, int(e->button()), e); }

private:
    void send(const Handler& h, int button, QMouseEvent* e) {
        if (h) h(button, e->position().x() * tpp_, e->position().y() * tpp_);
    }
    Qt::CursorShape shape_;
    double tpp_;
};

namespace {

const char* const kNodeKeys[] = {"Top", "Root", "Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"};

int imageOfNode(std::string_view key) {
    for (int i = 0; i < 8; ++i)
        if (key == kNodeKeys[i]) return i + 1;
    return 0;
}

// Header arrows from the lists' image list: the upward triangle for an ascending sort, the
// downward one for a descending sort, whatever the platform style would draw.
class HeaderArrowStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* header = qobject_cast<const QHeaderView*>(widget);
        if (element != PE_IndicatorHeaderArrow || !header) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const int order = header->sortIndicatorOrder() == Qt::AscendingOrder ? 0 : 1;
        const int side = 16;
        const QRect box(option->rect.center().x() - side / 2, option->rect.center().y() - side / 2, side, side);
        icons::sortArrow(order).paint(painter, box);
    }
};

QTreeView* makeList(QWidget* parent, const std::string& table, FolderModel* model) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromStdString("lvw" + table));
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setIconSize(QSize(16, 16));
    view->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = view->header();
    // The last column takes whatever width the list has left, in every folder.
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(0);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    auto* style = new HeaderArrowStyle;
    style->setParent(header);
    header->setStyle(style);
    view->hide();
    return view;
}

}  // namespace

// ---- Construction ----

void frmMain::buildPanes() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);
    setMinimumSize(px(6000), px(6000));

    picFolder_ = new QLabel(client_);
    picFolder_->setObjectName(QStringLiteral("picFolder"));
    picFolder_->setAlignment(Qt::AlignCenter);
    picFolder_->setAutoFillBackground(true);
    lblFolderBar_ = new QLabel(QStringLiteral("Veltrane"), client_);
    lblFolderBar_->setObjectName(QStringLiteral("lblFolderBar"));
    lblFolderBar_->setAutoFillBackground(true);
    lblFolderBar_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    {
        QPalette pal = lblFolderBar_->palette();
        const QColor bar = pal.color(QPalette::Highlight).darker(135);
        pal.setColor(QPalette::Window, bar);
        pal.setColor(QPalette::WindowText, pal.color(QPalette::HighlightedText));
        lblFolderBar_->setPalette(pal);
        picFolder_->setPalette(pal);
        QFont font = lblFolderBar_->font();
        font.setPointSize(18);
        lblFolderBar_->setFont(font);
    }

    tvwFolderList_ = new QTreeWidget(client_);
    tvwFolderList_->setObjectName(QStringLiteral("tvwFolderList"));
    tvwFolderList_->setHeaderHidden(true);
    tvwFolderList_->setIconSize(QSize(16, 16));
    tvwFolderList_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A node click is a mouse click, or a selection moved by the keyboard.
    connect(tvwFolderList_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item) tvwFolderList_NodeClick(text::toAnsi(item->data(0, Qt::UserRole).toString()));
    });
    connect(tvwFolderList_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (QGuiApplication::mouseButtons() != Qt::NoButton) return;
        const auto items = tvwFolderList_->selectedItems();
        if (!items.isEmpty()) tvwFolderList_NodeClick(text::toAnsi(items.first()->data(0, Qt::UserRole).toString()));
    });
    connect(tvwFolderList_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (item) tvwFolderList_Collapse(text::toAnsi(item->data(0, Qt::UserRole).toString()));
    });

    for (Folder& f : folders_) {
        f.view = makeList(client_, f.table, f.model);
        // Key presses of the list and mouse presses on its items.
        f.view->installEventFilter(this);
        f.view->viewport()->installEventFilter(this);
        const std::string table = f.table;
        connect(f.view->header(), &QHeaderView::sectionClicked, this,
                [this, table](int section) { lvw_ColumnClick(table, section); });
        if (!f.model->isLog()) {
            f.view->setContextMenuPolicy(Qt::CustomContextMenu);
            // The right button's press has reached the list (and selected under the pointer) by now.
            connect(f.view, &QWidget::customContextMenuRequested, this,
                    [this, table](const QPoint& at) { lvw_MouseDown(table, 2, at); });
            connect(f.view, &QAbstractItemView::clicked, this,
                    [this, table](const QModelIndex& index) { lvw_ItemClick(table, index.row()); });
        }
    }

    scrpWelcome_ = new QTextBrowser(client_);
    scrpWelcome_->setObjectName(QStringLiteral("scrpWelcome"));
    scrpWelcome_->setOpenExternalLinks(true);
    scrpWelcome_->setFrameShape(QFrame::StyledPanel);
    {
        const std::filesystem::path page = shareFolder() / "Welcome.htm";
        std::error_code ec;
        if (std::filesystem::exists(page, ec))
            scrpWelcome_->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
        else
            scrpWelcome_->setHtml(QStringLiteral("<h2>Veltrane</h2>"));
    }

    txtMessage_ = new QLineEdit(client_);
    txtMessage_->setObjectName(QStringLiteral("txtMessage"));
    txtMessage_->setReadOnly(true);
    txtMessage_->setFrame(false);
    txtMessage_->setAlignment(Qt::AlignCenter);
    txtMessage_->setFocusPolicy(Qt::NoFocus);
    {
        // The message lies on the list and reaches its right edge: let the list's frame show.
        QPalette pal = txtMessage_->palette();
        pal.setColor(QPalette::Base, Qt::transparent);
        txtMessage_->setPalette(pal);
    }
    txtMessage_->hide();

    tabPreview_ = new QTabWidget(client_);
    tabPreview_->setObjectName(QStringLiteral("tabPreview"));
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(px(100), px(100), px(100), px(100));
    rtfTSet_ = new QTextEdit(page);
    rtfTSet_->setObjectName(QStringLiteral("rtfTSet"));
    rtfTSet_->setReadOnly(true);
    rtfTSet_->setLineWrapMode(QTextEdit::NoWrap);
    rtfTSet_->setAcceptRichText(false);
    {
        QFont mono(QStringLiteral("Monospace"));
        mono.setStyleHint(QFont::TypeWriter);
        rtfTSet_->setFont(mono);
    }
    pageLayout->addWidget(rtfTSet_);
    tabPreview_->addTab(page, QStringLiteral("Transaction"));
    tabPreview_->hide();

    picVSplit_ = new SplitterBar(client_, Qt::SizeHorCursor, tpp_);
    picVSplit_->setObjectName(QStringLiteral("picVSplit"));
    picVSplit_->onDown = [this](int b, double x, double y) { picVSplit_MouseDown(b, x, y); };
    picVSplit_->onMove = [this](int b, double x, double y) { picVSplit_MouseMove(b, x, y); };
    picVSplit_->onUp = [this](int b, double x, double y) { picVSplit_MouseUp(b, x, y); };
    picHSplit_ = new SplitterBar(client_, Qt::SizeVerCursor, tpp_);
    picHSplit_->setObjectName(QStringLiteral("picHSplit"));
    picHSplit_->onDown = [this](int b, double x, double y) { picHSplit_MouseDown(b, x, y); };
    picHSplit_->onMove = [this](int b, double x, double y) { picHSplit_MouseMove(b, x, y); };
    picHSplit_->onUp = [this](int b, double x, double y) { picHSplit_MouseUp(b, x, y); };
    picHSplit_->hide();
    setBarDragging(picVSplit_, false);
    setBarDragging(picHSplit_, false);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbrStatusBar"));
    panel1_ = new QLabel(bar);
    panel1_->setObjectName(QStringLiteral("sbrPanel1"));
    // A long message must not widen the window.
    panel1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panel1_->setMinimumWidth(px(2000));
    pgbProgressBar_ = new QProgressBar(bar);
    pgbProgressBar_->setObjectName(QStringLiteral("pgbProgressBar"));
    pgbProgressBar_->setTextVisible(false);
    pgbProgressBar_->setRange(0, 100);
    pgbProgressBar_->setValue(0);
    pgbProgressBar_->setFixedWidth(px(2400));
    pgbProgressBar_->setMaximumHeight(px(200));
    panel3_ = new QLabel(bar);
    panel3_->setObjectName(QStringLiteral("sbrPanel3"));
    panel3_->setFixedWidth(px(1700));
    bar->addWidget(panel1_, 1);
    bar->addWidget(pgbProgressBar_);
    bar->addWidget(panel3_);
}

void frmMain::buildTree() {
    QSignalBlocker block(tvwFolderList_);
    tvwFolderList_->clear();
    static const char* const texts[] = {"Veltrane", "Folders", "Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"};
    // Parent of each node by position: History and Exchange hang under the top node.
    static const int parents[] = {-1, 0, 1, 1, 1, 1, 0, 0};
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < 8; ++i) {
        QTreeWidgetItem* node = parents[i] < 0 ? new QTreeWidgetItem(tvwFolderList_)
                                               : new QTreeWidgetItem(nodes[size_t(parents[i])]);
        node->setText(0, QString::fromLatin1(texts[i]));
        node->setData(0, Qt::UserRole, QString::fromLatin1(kNodeKeys[i]));
        node->setIcon(0, icons::tree(i + 1));
        nodes.push_back(node);
    }
    tvwFolderList_->setCurrentItem(nullptr);
}

QTreeWidgetItem* frmMain::folderNode(std::string_view key) const {
    const int image = imageOfNode(key);
    if (image == 0 || tvwFolderList_->topLevelItemCount() == 0) return nullptr;
    QTreeWidgetItem* top = tvwFolderList_->topLevelItem(0);
    switch (image) {
    case 1: return top;
    case 2: return top->child(0);
    case 3: case 4: case 5: case 6: return top->child(0) ? top->child(0)->child(image - 3) : nullptr;
    default: return top->child(image - 6);
    }
}

std::string frmMain::selectedNodeKey() const {
    const auto items = tvwFolderList_->selectedItems();
    if (items.isEmpty()) return {};
    return text::toAnsi(items.first()->data(0, Qt::UserRole).toString());
}

void frmMain::setFolderIcon(int image) {
    folderIcon_ = image;
    picFolder_->setPixmap(icons::treePixmap(image, std::max(16, px(480) - 8)));
}

// ---- Units ----

int frmMain::px(double twips) const { return int(text::roundHalfEven(twips / tpp_)); }
int frmMain::tw(double pixels) const { return int(text::roundHalfEven(pixels * tpp_)); }

int frmMain::clientWidth() const { return tw(width()); }

int frmMain::clientHeight() const {
    const QWidget* menu = menuWidget();
    const int menuHeight = menu && !menu->isHidden() ? menu->height() : 0;
    return tw(height() - menuHeight);
}

std::array<int, 4> frmMain::paneRect(const QWidget* pane) const {
    auto it = placed_.find(pane);
    return it == placed_.end() ? std::array<int, 4>{0, 0, 0, 0} : it->second;
}

// Places a pane at client twips; a negative size leaves it where it was, as the window system
// would refuse it.
bool frmMain::place(QWidget* pane, double left, double top, double width, double height) {
    if (width < 0 || height < 0) return false;
    const QWidget* menu = menuWidget();
    const int menuHeight = menu && !menu->isHidden() ? menu->height() : 0;
    const int clientTop = client_->y() - menuHeight;   // the toolbar area, in pixels
    pane->setGeometry(px(left), px(top) - clientTop, px(width), px(height));
    placed_[pane] = {int(text::roundHalfEven(left)), int(text::roundHalfEven(top)), int(text::roundHalfEven(width)),
                     int(text::roundHalfEven(height))};
    return true;
}

// ---- Layout ----

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) Form_Resize();
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
        event->type() == QEvent::MouseButtonPress) {
        for (Folder& f : folders_) {
            if (!f.view) continue;
            // Moving to an item with the keyboard selects it as a click does.
            if (watched == f.view && event->type() == QEvent::KeyRelease) {
                switch (static_cast<QKeyEvent*>(event)->key()) {
                case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
                case Qt::Key_Home: case Qt::Key_End:
                    if (f.view->currentIndex().isValid()) lvw_ItemClick(f.table, f.view->currentIndex().row());
                    break;
                default:
                    break;
                }
                continue;
            }
            if (watched == f.view && event->type() == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Delete || key == Qt::Key_F5) {
                    lvw_KeyDown(f.table, key == Qt::Key_Delete ? 46 : 116);
                    return true;
                }
            } else if (watched == f.view->viewport() && event->type() == QEvent::MouseButtonPress) {
                auto* e = static_cast<QMouseEvent*>(event);
                // The right button comes back as the context-menu request.
                if (e->button() == Qt::LeftButton) lvw_MouseDown(f.table, 1, e->position().toPoint());
                else if (e->button() == Qt::MiddleButton) lvw_MouseDown(f.table, 4, e->position().toPoint());
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Resize() {
    if (isMinimized()) return;
    const bool folderBar = !mnuFolderBar_ || mnuFolderBar_->isChecked();
    const bool statusShown = !mnuStatusBar_ || mnuStatusBar_->isChecked();
    if (statusBar()->isHidden() == statusShown) {
        statusBar()->setVisible(statusShown);
        // Let the window give the client area its new height before the panes are placed.
        if (layout()) layout()->activate();
    }
    const int clientW = clientWidth();
    const int clientH = clientHeight();

    if (hSplitTop_ > clientH - 1000) hSplitTop_ = clientH - 1000;
    if (vSplitLeft_ > clientW - 1000) vSplitLeft_ = clientW - 1000;

    lblFolderBar_->setVisible(folderBar);
    picFolder_->setVisible(folderBar);

    const int rightWidth = clientW - (vSplitLeft_ + 100);
    const QWidget* menu = menuWidget();
    const int menuHeight = menu && !menu->isHidden() ? menu->height() : 0;
    const int toolbarHeight = tw(client_->y() - menuHeight);
    const int folderBarHeight = folderBar ? 480 : 0;
    const int statusHeight = statusShown ? tw(height() - client_->geometry().bottom() - 1) : 0;
    if (folderBar) {
        place(picFolder_, 0, toolbarHeight + 30, 480, 480);
        folderBarWidth_ = clientW + 480;
        place(lblFolderBar_, 480, toolbarHeight + 30, folderBarWidth_, 480);
    }

    paneTop_ = folderBarHeight + toolbarHeight;
    paneHeight_ = clientH - statusHeight - folderBarHeight - toolbarHeight;

    const bool preview = !tabPreview_->isHidden();
    int lowerHeight = 0;
    int listHeight;
    if (preview) {
        picHSplit_->show();
        lowerHeight = clientH - hSplitTop_ - statusHeight;
        listHeight = clientH - lowerHeight - folderBarHeight - statusHeight - toolbarHeight - 100;
    } else {
        picHSplit_->hide();
        listHeight = clientH - folderBarHeight - statusHeight - toolbarHeight - 100;
    }

    if (place(tvwFolderList_, 0, paneTop_ + 100, vSplitLeft_, paneHeight_ - 100)) treeWidth_ = vSplitLeft_;
    for (Folder& f : folders_) place(f.view, vSplitLeft_ + 100, paneTop_ + 100, rightWidth, listHeight);
    place(txtMessage_, vSplitLeft_ + 200, paneTop_ + listHeight / 2.0, rightWidth - 100, 285);
    place(picVSplit_, treeWidth_, paneTop_ + 100, 100, paneHeight_ - 100);
    vSplitLeft_ = treeWidth_;

    if (preview) {
        place(tabPreview_, vSplitLeft_ + 100, hSplitTop_ + 100, rightWidth - 100, lowerHeight - 100);
        place(picHSplit_, vSplitLeft_ + 100, hSplitTop_, tw(frameGeometry().width()) - 500, 100);
    } else {
        place(scrpWelcome_, vSplitLeft_ + 100, paneTop_ + 100, rightWidth, listHeight);
    }
    picVSplit_->raise();
    picHSplit_->raise();
    if (!txtMessage_->isHidden()) txtMessage_->raise();
    for (Folder& f : folders_) f.view->viewport()->update();
}

// ---- Splitter bars ----

void frmMain::setBarDragging(SplitterBar* bar, bool dragging) {
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, palette().color(dragging ? QPalette::Highlight : QPalette::Button));
    bar->setPalette(pal);
    if (bar == picVSplit_) vDragging_ = dragging;
    else hDragging_ = dragging;
}

void frmMain::picVSplit_MouseDown(int button, double x, double y) {
    if (button != 1) {
        picVSplit_MouseUp(button, x, y);
        return;
    }
    setBarDragging(picVSplit_, true);
    splitLastX_ = int(text::roundHalfEven(x));
}

void frmMain::picVSplit_MouseMove(int button, double x, double y) {
    picVSplit_->raise();
    picVSplit_->setCursor(picVSplit_->sizingShape());
    const int rounded = int(text::roundHalfEven(x));
    if (button == 1 && vDragging_ && rounded != splitLastX_) {
        vSplitLeft_ = int(text::roundHalfEven(vSplitLeft_ + x));
        treeWidth_ = vSplitLeft_;
        place(picVSplit_, vSplitLeft_, paneTop_ + 100, 100, paneHeight_ - 100);
        splitLastX_ = rounded;
    }
}

void frmMain::picVSplit_MouseUp(int button, double x, double y) {
    if (int(text::roundHalfEven(x)) != splitLastX_) vSplitLeft_ = int(text::roundHalfEven(vSplitLeft_ + x));
    setBarDragging(picVSplit_, false);
    if (vSplitLeft_ < 1000) vSplitLeft_ = 1000;
    else if (vSplitLeft_ > clientWidth() - 1000) vSplitLeft_ = clientWidth() - 1000;
    treeWidth_ = vSplitLeft_;
    picVSplit_->unsetCursor();
    Form_Resize();
}

void frmMain::picHSplit_MouseDown(int button, double x, double y) {
    if (button != 1) {
        picHSplit_MouseUp(button, x, y);
        return;
    }
    setBarDragging(picHSplit_, true);
    splitLastY_ = int(text::roundHalfEven(y));
}

void frmMain::picHSplit_MouseMove(int button, double x, double y) {
    picHSplit_->raise();
    picHSplit_->setCursor(picHSplit_->sizingShape());
    const int rounded = int(text::roundHalfEven(y));
    if (button == 1 && hDragging_ && rounded != splitLastY_) {
        hSplitTop_ = int(text::roundHalfEven(hSplitTop_ + y));
        place(picHSplit_, vSplitLeft_ + 100, hSplitTop_, tw(frameGeometry().width()), 100);
        splitLastY_ = rounded;
    }
}

void frmMain::picHSplit_MouseUp(int button, double x, double y) {
    if (int(text::roundHalfEven(y)) != splitLastY_) hSplitTop_ = int(text::roundHalfEven(hSplitTop_ + y));
    setBarDragging(picHSplit_, false);
    if (hSplitTop_ < 2400) hSplitTop_ = 2400;
    else if (hSplitTop_ > clientHeight() - 2400) hSplitTop_ = clientHeight() - 2400;
    picHSplit_->unsetCursor();
    Form_Resize();
}

// ---- View switches ----

void frmMain::mnuFolderBar_Click() {
    logCommand("Selected [View] - [Folder Bar]");
    mnuFolderBar_->setChecked(!mnuFolderBar_->isChecked());
    Form_Resize();
}

void frmMain::mnuStatusBar_Click() {
    logCommand("Selected [View] - [Status Bar]");
    mnuStatusBar_->setChecked(!mnuStatusBar_->isChecked());
    Form_Resize();
}

// ---- Folder tree ----

void frmMain::showFolderPane(const Folder* shown) {
    if (shown) scrpWelcome_->hide();
    else scrpWelcome_->show();
    for (Folder& f : folders_) f.view->setVisible(&f == shown);
}

void frmMain::tvwFolderList_NodeClick(std::string_view key) {
    const int image = imageOfNode(key);
    if (image == 0) return;
    const std::string k(key);
    if (image <= 2) {
        showFolderPane(nullptr);
        setWindowTitle(image == 1 ? QStringLiteral("Veltrane - Local") : QStringLiteral("Veltrane - Folders"));
        lblFolderBar_->setText(image == 1 ? QStringLiteral("Veltrane") : QStringLiteral(" Folders"));
        setFolderIcon(image);
        txtMessage_->hide();
        tabPreview_->hide();
        Form_Resize();
        SetCommandState(false);
        status(1, "");
        return;
    }
    Folder* f = folder(k);
    showFolderPane(f);
    setWindowTitle(QStringLiteral("Veltrane - ") + QString::fromStdString(k));
    lblFolderBar_->setText(QStringLiteral(" ") + QString::fromStdString(k));
    if (!f->model->isLog()) {
        ShowPreview(*f);
        BuildSortMenu(*f);
        setFolderIcon(image);
        mnuOutbox_->setEnabled(k == "Sent");
        mnuSent_->setEnabled(k == "Outbox");
        tabPreview_->show();
        Form_Resize();
    } else {
        BuildSortMenu(*f);
        setFolderIcon(image);
        txtMessage_->hide();
        tabPreview_->hide();
        Form_Resize();
        SetCommandState(false);
        if (f->model->rowCount() > 0) {
            for (const char* name : {"mnuSortBy", "mnuSortOrder", "mnuRefresh"})
                if (QAction* a = commandAction(name)) a->setEnabled(true);
        }
    }
    status(1, std::to_string(f->model->rowCount()) + " item(s) ");
}

void frmMain::tvwFolderList_Collapse(std::string_view key) {
    const int image = imageOfNode(key);
    if (image != 1 && image != 2) return;
    setWindowTitle(image == 1 ? QStringLiteral("Veltrane - Local") : QStringLiteral("Veltrane - Folders"));
    lblFolderBar_->setText(image == 1 ? QStringLiteral("Veltrane") : QStringLiteral(" Folders"));
    setFolderIcon(image);
    txtMessage_->hide();
    tabPreview_->hide();
    Form_Resize();
    SetCommandState(false);
    showFolderPane(nullptr);
    status(1, "");
}

}  // namespace vt::mainwindow
