// The designer's layout: the four splitter bars, where every pane goes on a resize, and the window's
// place, state and bars kept in settings section "Map".

#include "maps/frmMap.h"

#include "maps/ScriptEditor.h"
#include "platform/settings/Settings.h"
#include "platform/text/Text.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeWidget>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vt::maps {

// A splitter bar: reports its mouse events in twips relative to itself.
class DesignerBar : public QWidget {
public:
    using Handler = std::function<void(int button, double x, double y)>;
    DesignerBar(QWidget* parent, Qt::CursorShape shape, double tpp) : QWidget(parent), shape_(shape), tpp_(tpp) {
        setAutoFillBackground(true);
    }
    Handler onDown, onMove, onUp;
    Qt::CursorShape sizing() const { return shape_; }
    bool dragging = false;

protected:
    void mousePressEvent(QMouseEvent* e) override { send(onDown, int(e->button()), e); }
    void mouseMoveEvent(QMouseEvent* e) override { send(onMove, int(e->buttons()), e); }
    void mouseReleaseEvent(QMouseEvent* e) override { send(onUp, int(e->button()), e); }
    void enterEvent(QEnterEvent*) override { setCursor(shape_); }

private:
    void send(const Handler& h, int button, QMouseEvent* e) {
        if (h) h(button, e->position().x() * tpp_, e->position().y() * tpp_);
    }
    Qt::CursorShape shape_;
    double tpp_;
};

namespace {

constexpr std::size_t index(Bar b) { return std::size_t(b); }

constexpr Pane paneOf(Bar b) {
    switch (b) {
    case Bar::HSplit: return picHSplit;
    case Bar::VSplitLeft: return picVSplitLeft;
    case Bar::VSplitRight: return picVSplitRight;
    case Bar::VSplitCenter: return picVSplitCenter;
    }
    return picHSplit;
}

// The bar's edge along which it moves.
double& edgeOf(PaneRects& rects, Bar b) { return b == Bar::HSplit ? rects[picHSplit].top : rects[paneOf(b)].left; }

// A settings text as a number; nothing when it is not one.
std::optional<double> storedNumber(std::string_view s) {
    const std::string t = text::trim(s);
    const char* begin = t.data();
    const char* end = t.data() + t.size();
    if (begin != end && *begin == '+') ++begin;
    double value = 0;
    auto [stop, ec] = std::from_chars(begin, end, value);
    if (t.empty() || ec != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return double(float(value));
}

// The text of a single-precision value: whole twips as plain integers.
std::string numberText(double v) {
    const float f = float(v);
    if (std::nearbyint(f) == f && std::fabs(f) < 1e15) return std::to_string(static_cast<long long>(f));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", double(f));
    return buf;
}

}  // namespace

DesignerBar* frmMap::barWidget(Bar b) const {
    if (!bars_[index(b)]) {
        auto* self = const_cast<frmMap*>(this);
        const bool vertical = b != Bar::HSplit;
        auto* w = new DesignerBar(self->centralWidget(), vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor, tpp_);
        static const char* const names[] = {"picHSplit", "picVSplitLeft", "picVSplitRight", "picVSplitCenter"};
        w->setObjectName(QString::fromLatin1(names[index(b)]));
        w->onDown = [self, b](int button, double x, double y) { self->bar_MouseDown(b, button, x, y); };
        w->onMove = [self, b](int button, double x, double y) { self->bar_MouseMove(b, button, x, y); };
        w->onUp = [self, b](int button, double x, double y) { self->bar_MouseUp(b, button, x, y); };
        self->bars_[index(b)] = w;
    }
    return bars_[index(b)];
}

QWidget* frmMap::bar(Bar which) const { return barWidget(which); }

bool frmMap::barDragging(Bar b) const { return barWidget(b)->dragging; }

void frmMap::setBarColour(Bar b, bool dragging) {
    DesignerBar* w = barWidget(b);
    w->dragging = dragging;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, dragging ? palette().color(QPalette::Highlight) : palette().color(QPalette::Button));
    w->setPalette(pal);
}

int frmMap::px(double twips) const { return int(std::lround(twips / tpp_)); }
double frmMap::tw(double pixels) const { return text::roundHalfEven(pixels * tpp_); }

int frmMap::clientWidth() const { return int(tw(width())); }
int frmMap::clientHeight() const {
    const int menu = menuBar() && !menuBar()->isHidden() ? menuBar()->sizeHint().height() : 0;
    const int status = sbrStatusBar_ && !sbrStatusBar_->isHidden() ? sbrStatusBar_->sizeHint().height() : 0;
    return int(tw(height() - menu - status));
}

DesignerBars frmMap::bars() const {
    DesignerBars b;
    b.hs = rects_[picHSplit].top;
    b.vl = rects_[picVSplitLeft].left;
    b.vr = rects_[picVSplitRight].left;
    b.vc = rects_[picVSplitCenter].left;
    return b;
}

// ---- Stored layout ----

void frmMap::MainLayout(std::string_view action) {
    const bool save = text::equalsNoCase(action, "save");
    const bool load = text::equalsNoCase(action, "load");
    if (!save && !load) return;
    Settings& st = s_.settings;

    if (save) {
        if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
        const bool maximized = windowState() & Qt::WindowMaximized;
        st.set("Map", "State", maximized ? "2" : "0");
        if (!maximized) {
            st.set("Map", "Top", numberText(tw(pos().y())));
            st.set("Map", "Left", numberText(tw(pos().x())));
            st.set("Map", "Height", numberText(tw(height())));
            st.set("Map", "Width", numberText(tw(width())));
        }
        const DesignerBars b = bars();
        st.set("Map", "VSplitCenter", numberText(b.vc));
        st.set("Map", "VSplitLeft", numberText(b.vl));
        st.set("Map", "VSplitRight", numberText(b.vr));
        st.set("Map", "HSplit", numberText(b.hs));
        return;
    }

    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const DesignerDefaults d = DefaultDesignerLayout(tw(area.width()), tw(area.height()), tw(width()), tw(height()));
    auto read = [&](const char* key, double def) { return storedNumber(st.get("Map", key, numberText(def))); };
    if (auto v = read("Top", d.top)) move(x(), px(*v));
    if (auto v = read("Left", d.left)) move(px(*v), y());
    if (auto v = read("Height", d.height); v && *v >= 0) resize(width(), px(*v));
    if (auto v = read("Width", d.width); v && *v >= 0) resize(px(*v), height());
    if (auto v = read("State", 0); v && std::fabs(*v) < 32768) {
        const long state = std::lround(*v);
        setWindowState(state == 2 ? Qt::WindowMaximized : state == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
    }
    if (auto v = read("VSplitCenter", d.bars.vc)) rects_[picVSplitCenter].left = *v;
    if (auto v = read("VSplitLeft", d.bars.vl)) rects_[picVSplitLeft].left = *v;
    if (auto v = read("VSplitRight", d.bars.vr)) rects_[picVSplitRight].left = *v;
    if (auto v = read("HSplit", d.bars.hs)) rects_[picHSplit].top = *v;
    Form_Resize();
}

// ---- Resize ----

void frmMap::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (loaded_) Form_Resize();
}

void frmMap::Form_Resize() {
    if (isMinimized()) return;
    if (tw(height()) < kDesignerMinHeight) {
        resize(width(), px(kDesignerMinHeight));
        if (tw(height()) >= kDesignerMinHeight) Form_Resize();
        return;
    }
    if (tw(width()) < kDesignerMinWidth) {
        resize(px(kDesignerMinWidth), height());
        if (tw(width()) >= kDesignerMinWidth) Form_Resize();
        return;
    }
    DesignerBars b = bars();
    const double cw = clientWidth(), ch = clientHeight();
    ClampBarsOnResize(b, cw, ch);
    rects_[picHSplit].top = b.hs;
    rects_[picVSplitLeft].left = b.vl;
    rects_[picVSplitRight].left = b.vr;
    rects_[picVSplitCenter].left = b.vc;
    PlaceDesignerPanes(b, cw, ch, tw(width()), rects_);
    placePanes();
}

void frmMap::placePanes() {
    auto put = [&](QWidget* w, Pane p) {
        const PaneRect& r = rects_[p];
        w->setGeometry(px(r.left), px(r.top), std::max(0, px(r.width)), std::max(0, px(r.height)));
    };
    put(fraElement_, maps::fraElement);
    put(fraSegment_, maps::fraSegment);
    put(tvwTSets_, maps::tvwTSets);
    put(lvwTSets_, maps::lvwTSets);
    put(sstControls_, maps::sstControls);
    put(tvwReference_, maps::tvwReference);
    put(txtScript_, maps::txtScript);
    put(txtImmediate_, maps::txtImmediate);
    put(txtTransaction_, maps::txtTransaction);
    put(barWidget(Bar::VSplitCenter), picVSplitCenter);
    put(barWidget(Bar::VSplitLeft), picVSplitLeft);
    put(barWidget(Bar::VSplitRight), picVSplitRight);
    put(barWidget(Bar::HSplit), picHSplit);
    // The page captions sit in the strip the panes leave at the foot of the tab control.
    const int tabHeight = tabBar_->sizeHint().height();
    tabBar_->setGeometry(px(100), std::max(0, sstControls_->height() - tabHeight - 2),
                         std::max(0, sstControls_->width() - px(200)), tabHeight);
    barWidget(Bar::VSplitCenter)->raise();
}

// ---- Bars ----

void frmMap::bar_MouseDown(Bar b, int button, double x, double y) {
    if (button != 1) {
        bar_MouseUp(b, button, x, y);
        return;
    }
    setBarColour(b, true);
    barOffsets_[index(b)] = int(text::roundHalfEven(b == Bar::HSplit ? y : x));
}

void frmMap::bar_MouseMove(Bar b, int button, double x, double y) {
    DesignerBar* w = barWidget(b);
    w->raise();
    w->setCursor(w->sizing());
    const int at = int(text::roundHalfEven(b == Bar::HSplit ? y : x));
    if (button != 1 || !w->dragging || at == barOffsets_[index(b)]) return;
    // The bar's edge follows the pointer; nothing else moves until the release.
    edgeOf(rects_, b) += b == Bar::HSplit ? y : x;
    barOffsets_[index(b)] = at;
    w->move(px(rects_[paneOf(b)].left), px(rects_[paneOf(b)].top));
}

void frmMap::bar_MouseUp(Bar b, int button, double x, double y) {
    DesignerBar* w = barWidget(b);
    const double along = b == Bar::HSplit ? y : x;
    if (int(text::roundHalfEven(along)) != barOffsets_[index(b)]) edgeOf(rects_, b) += along;
    setBarColour(b, false);
    const DesignerBars now = bars();
    double& edge = edgeOf(rects_, b);
    edge = ReleasedBarEdge(b, edge, now, clientWidth(), clientHeight());
    w->unsetCursor();
    Form_Resize();
}

}  // namespace vt::maps
