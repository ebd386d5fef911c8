#include "mainwindow/frmMainIcons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <string>

namespace vt::mainwindow::icons {

namespace {

// Every picture is drawn on a 16 x 16 grid and scaled, so one drawing serves every size.
using Drawing = std::function<void(QPainter&)>;

QPixmap render(const Drawing& draw, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return pm;
}

QIcon iconOf(const Drawing& draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48}) icon.addPixmap(render(draw, size));
    return icon;
}

QPen pen(QColor c, double w = 1.0) {
    QPen p(c, w);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

QLinearGradient vertical(QColor top, QColor bottom, double y0 = 0, double y1 = 16) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// ---- shared shapes ----

void folderShape(QPainter& p, bool open) {
    p.setPen(pen(QColor(160, 110, 20), 0.8));
    p.setBrush(vertical(QColor(250, 214, 110), QColor(226, 170, 40)));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(vertical(QColor(255, 232, 150), QColor(240, 190, 60)));
    QPainterPath front;
    if (open) {
        front.moveTo(3.5, 7);
        front.lineTo(15.5, 7);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
    } else {
        front.moveTo(1.5, 6.5);
        front.lineTo(14.5, 6.5);
        front.lineTo(14.5, 13.5);
        front.lineTo(1.5, 13.5);
    }
    front.closeSubpath();
    p.drawPath(front);
}

void trayShape(QPainter& p) {
    p.setPen(pen(QColor(70, 90, 120), 0.8));
    p.setBrush(vertical(QColor(225, 232, 242), QColor(170, 185, 205)));
    QPainterPath tray;
    tray.moveTo(1.5, 9);
    tray.lineTo(5, 9);
    tray.lineTo(6, 11);
    tray.lineTo(10, 11);
    tray.lineTo(11, 9);
    tray.lineTo(14.5, 9);
    tray.lineTo(14.5, 14.5);
    tray.lineTo(1.5, 14.5);
    tray.closeSubpath();
    p.drawPath(tray);
}

void arrow(QPainter& p, QPointF from, QPointF to, QColor c, double width = 2.2) {
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const double len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len;
    const double head = width * 1.6;
    QPointF base(to.x() - ux * head, to.y() - uy * head);
    p.setPen(pen(c, width));
    p.drawLine(from, base);
    p.setPen(pen(c.darker(130), 0.6));
    p.setBrush(c);
    QPolygonF tip;
    tip << to << QPointF(base.x() - uy * head, base.y() + ux * head) << QPointF(base.x() + uy * head, base.y() - ux * head);
    p.drawPolygon(tip);
}

void envelopeShape(QPainter& p, bool open) {
    p.setPen(pen(QColor(120, 100, 60), 0.8));
    p.setBrush(vertical(QColor(255, 250, 230), QColor(235, 222, 185)));
    if (open) {
        QPolygonF flap;
        flap << QPointF(1.5, 7) << QPointF(8, 1.5) << QPointF(14.5, 7);
        p.drawPolygon(flap);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 4, 9, 6));
        p.setBrush(vertical(QColor(255, 250, 230), QColor(235, 222, 185)));
        p.drawRect(QRectF(1.5, 7, 13, 7.5));
        p.drawLine(QPointF(1.5, 14.5), QPointF(8, 10));
        p.drawLine(QPointF(14.5, 14.5), QPointF(8, 10));
    } else {
        p.drawRect(QRectF(1.5, 4, 13, 9));
        p.drawLine(QPointF(1.5, 4), QPointF(8, 9));
        p.drawLine(QPointF(14.5, 4), QPointF(8, 9));
    }
}

void pageShape(QPainter& p, double right = 12.5, bool lines = true) {
    p.setPen(pen(QColor(100, 110, 125), 0.8));
    p.setBrush(vertical(Qt::white, QColor(228, 232, 238)));
    QPainterPath page;
    page.moveTo(2.5, 1.5);
    page.lineTo(right - 3, 1.5);
    page.lineTo(right, 4.5);
    page.lineTo(right, 14.5);
    page.lineTo(2.5, 14.5);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(right - 3, 1.5), QPointF(right - 3, 4.5));
    p.drawLine(QPointF(right - 3, 4.5), QPointF(right, 4.5));
    if (lines) {
        p.setPen(pen(QColor(140, 160, 190), 0.8));
        for (double y = 6.5; y < 13; y += 2) p.drawLine(QPointF(4.5, y), QPointF(right - 2, y));
    }
}

void badgeCircle(QPainter& p, QRectF r, QColor top, QColor bottom) {
    p.setPen(pen(bottom.darker(140), 0.8));
    p.setBrush(vertical(top, bottom, r.top(), r.bottom()));
    p.drawEllipse(r);
}

void checkMark(QPainter& p, QPointF origin, double scale, QColor c, double width) {
    p.setPen(pen(c, width));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(origin.x(), origin.y() + 3 * scale);
    tick.lineTo(origin.x() + 2.5 * scale, origin.y() + 5.5 * scale);
    tick.lineTo(origin.x() + 7 * scale, origin.y());
    p.drawPath(tick);
}

void magnifier(QPainter& p, QPointF centre, double radius) {
    p.setPen(pen(QColor(70, 70, 80), 2.2));
    const double d = radius * 0.72;
    p.drawLine(QPointF(centre.x() + d, centre.y() + d), QPointF(centre.x() + d + 4, centre.y() + d + 4));
    p.setPen(pen(QColor(60, 80, 110), 1.2));
    QRadialGradient glass(centre, radius);
    glass.setColorAt(0, QColor(235, 245, 255));
    glass.setColorAt(1, QColor(160, 200, 240));
    p.setBrush(glass);
    p.drawEllipse(centre, radius, radius);
}

// ---- tree images ----

void drawApplication(QPainter& p) {
    p.setPen(pen(QColor(20, 50, 110), 0.8));
    p.setBrush(vertical(QColor(70, 130, 210), QColor(25, 70, 150)));
    p.drawRoundedRect(QRectF(0.8, 0.8, 14.4, 14.4), 3, 3);
    p.setPen(pen(Qt::white, 2.0));
    QPainterPath v;
    v.moveTo(3.8, 4);
    v.lineTo(8, 12);
    v.lineTo(12.2, 4);
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 170, 40));
    p.drawEllipse(QPointF(12.3, 11.8), 1.6, 1.6);
}

void drawInbox(QPainter& p) {
    trayShape(p);
    arrow(p, QPointF(8, 1), QPointF(8, 9.5), QColor(40, 150, 60));
}

void drawOutbox(QPainter& p) {
    trayShape(p);
    arrow(p, QPointF(8, 10), QPointF(8, 1), QColor(230, 120, 20));
}

void drawSent(QPainter& p) {
    envelopeShape(p, false);
    arrow(p, QPointF(7, 12.5), QPointF(15.5, 12.5), QColor(40, 110, 200), 2.0);
}

void drawRecycled(QPainter& p) {
    p.setPen(pen(QColor(80, 90, 100), 0.8));
    p.setBrush(vertical(QColor(215, 222, 230), QColor(150, 160, 172)));
    QPainterPath bin;
    bin.moveTo(3, 4.5);
    bin.lineTo(13, 4.5);
    bin.lineTo(12, 15);
    bin.lineTo(4, 15);
    bin.closeSubpath();
    p.drawPath(bin);
    p.drawRoundedRect(QRectF(2, 2.5, 12, 2), 0.8, 0.8);
    p.drawRect(QRectF(6.5, 1, 3, 1.5));
    p.setPen(pen(QColor(40, 150, 70), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 7, 6, 6), 30 * 16, 300 * 16);
    p.setBrush(QColor(40, 150, 70));
    p.setPen(Qt::NoPen);
    QPolygonF tip;
    tip << QPointF(10.6, 6.6) << QPointF(11.8, 9.4) << QPointF(8.8, 9.0);
    p.drawPolygon(tip);
}

void drawHistory(QPainter& p) {
    badgeCircle(p, QRectF(1.2, 1.2, 13.6, 13.6), QColor(255, 255, 255), QColor(200, 210, 225));
    p.setPen(pen(QColor(70, 80, 100), 0.8));
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        p.drawLine(QPointF(8 + std::cos(a) * 5.2, 8 + std::sin(a) * 5.2), QPointF(8 + std::cos(a) * 6, 8 + std::sin(a) * 6));
    }
    p.setPen(pen(QColor(30, 40, 60), 1.3));
    p.drawLine(QPointF(8, 8), QPointF(8, 3.8));
    p.setPen(pen(QColor(200, 50, 40), 1.1));
    p.drawLine(QPointF(8, 8), QPointF(11, 10));
}

void drawExchange(QPainter& p) {
    arrow(p, QPointF(1.5, 5), QPointF(14.5, 5), QColor(40, 110, 200), 2.0);
    arrow(p, QPointF(14.5, 11), QPointF(1.5, 11), QColor(40, 150, 60), 2.0);
}

// ---- list images ----

void drawUp(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 110, 110));
    QPolygonF t;
    t << QPointF(8, 5) << QPointF(12, 11) << QPointF(4, 11);
    p.drawPolygon(t);
}

void drawDown(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 110, 110));
    QPolygonF t;
    t << QPointF(4, 5) << QPointF(12, 5) << QPointF(8, 11);
    p.drawPolygon(t);
}

void drawValidated(QPainter& p) {
    pageShape(p);
    checkMark(p, QPointF(6.5, 8), 1.1, QColor(30, 150, 50), 2.0);
}

void drawExported(QPainter& p) {
    pageShape(p, 11.5);
    arrow(p, QPointF(6, 11), QPointF(15.5, 11), QColor(230, 120, 20), 2.0);
}

void drawInfo(QPainter& p) {
    badgeCircle(p, QRectF(1, 1, 14, 14), QColor(90, 150, 230), QColor(30, 90, 180));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
    p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 6), 0.6, 0.6);
}

void drawWarning(QPainter& p) {
    p.setPen(pen(QColor(170, 120, 0), 0.8));
    p.setBrush(vertical(QColor(255, 225, 90), QColor(240, 180, 20)));
    QPainterPath t;
    t.moveTo(8, 1.2);
    t.lineTo(15.2, 14.5);
    t.lineTo(0.8, 14.5);
    t.closeSubpath();
    p.drawPath(t);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 30, 0));
    p.drawRoundedRect(QRectF(7.1, 5.2, 1.8, 5.3), 0.6, 0.6);
    p.drawEllipse(QPointF(8, 12.3), 1.0, 1.0);
}

void drawError(QPainter& p) {
    badgeCircle(p, QRectF(1, 1, 14, 14), QColor(240, 90, 80), QColor(190, 30, 30));
    p.setPen(pen(Qt::white, 2.0));
    p.drawLine(QPointF(5.3, 5.3), QPointF(10.7, 10.7));
    p.drawLine(QPointF(10.7, 5.3), QPointF(5.3, 10.7));
}

void drawYes(QPainter& p) { checkMark(p, QPointF(3.5, 4.5), 1.3, QColor(30, 150, 50), 2.4); }

void drawVoid(QPainter& p) {
    p.setPen(pen(QColor(130, 130, 130), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 5.2, 5.2);
    p.drawLine(QPointF(4.4, 11.6), QPointF(11.6, 4.4));
}

void drawNo(QPainter& p) {
    p.setPen(pen(QColor(160, 160, 160), 1.2));
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(QPointF(8, 8), 3.5, 3.5);
}

// ---- toolbar images ----

void drawOptions(QPainter& p) {
    QPainterPath gear;
    const QPointF c(8, 8);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        QPainterPath tooth;
        tooth.addRect(QRectF(-1.3, -7.2, 2.6, 3));
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotateRadians(a);
        gear = gear.united(t.map(tooth));
    }
    QPainterPath ring;
    ring.addEllipse(c, 5.2, 5.2);
    gear = gear.united(ring);
    QPainterPath hole;
    hole.addEllipse(c, 2.2, 2.2);
    gear = gear.subtracted(hole);
    p.setPen(pen(QColor(70, 80, 95), 0.8));
    p.setBrush(vertical(QColor(200, 208, 220), QColor(120, 132, 150)));
    p.drawPath(gear);
}

void person(QPainter& p, QPointF at, double scale, QColor shirt) {
    p.setPen(pen(shirt.darker(150), 0.7));
    p.setBrush(vertical(shirt.lighter(130), shirt, at.y() + 3 * scale, at.y() + 8 * scale));
    QPainterPath body;
    body.moveTo(at.x() - 3.6 * scale, at.y() + 8 * scale);
    body.cubicTo(at.x() - 3.6 * scale, at.y() + 3 * scale, at.x() + 3.6 * scale, at.y() + 3 * scale,
                 at.x() + 3.6 * scale, at.y() + 8 * scale);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(vertical(QColor(255, 225, 190), QColor(235, 185, 140), at.y() - 2 * scale, at.y() + 2 * scale));
    p.setPen(pen(QColor(170, 120, 80), 0.7));
    p.drawEllipse(QPointF(at.x(), at.y()), 2.2 * scale, 2.2 * scale);
}

void drawPartners(QPainter& p) {
    person(p, QPointF(10.5, 4.5), 1.0, QColor(60, 140, 80));
    person(p, QPointF(5.5, 6.5), 1.05, QColor(50, 100, 190));
}

void drawProperties(QPainter& p) {
    pageShape(p, 12.5, false);
    p.setPen(pen(QColor(60, 90, 150), 0.9));
    for (double y = 5.5; y < 13; y += 2.5) {
        p.setBrush(QColor(60, 90, 150));
        p.drawRect(QRectF(4.3, y - 0.6, 1.2, 1.2));
        p.drawLine(QPointF(7, y), QPointF(10.8, y));
    }
}

void drawDelete(QPainter& p) {
    p.setPen(pen(QColor(150, 20, 20), 3.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    p.setPen(pen(QColor(230, 60, 50), 2.2));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void drawViewer(QPainter& p) {
    pageShape(p, 11.5);
    magnifier(p, QPointF(9.5, 9.5), 3.2);
}

void drawDesigner(QPainter& p) {
    pageShape(p, 11.5);
    p.save();
    p.translate(10.5, 9.5);
    p.rotate(45);
    p.setPen(pen(QColor(120, 80, 20), 0.6));
    p.setBrush(vertical(QColor(255, 210, 80), QColor(230, 160, 30), -1.3, 1.3));
    p.drawRect(QRectF(-5, -1.3, 8, 2.6));
    p.setBrush(QColor(240, 150, 150));
    p.drawRect(QRectF(3, -1.3, 1.8, 2.6));
    QPolygonF tip;
    tip << QPointF(-5, -1.3) << QPointF(-7.5, 0) << QPointF(-5, 1.3);
    p.setBrush(QColor(245, 220, 180));
    p.drawPolygon(tip);
    p.restore();
}

void drawFind(QPainter& p) { magnifier(p, QPointF(6.5, 6.5), 4.6); }

const QIcon& cached(const std::string& key, const Drawing& draw) {
    static QHash<QString, QIcon> cache;
    const QString k = QString::fromStdString(key);
    auto it = cache.find(k);
    if (it == cache.end()) it = cache.insert(k, iconOf(draw));
    return *it;
}

Drawing treeDrawing(int image) {
    switch (image) {
    case 1: return drawApplication;
    case 2: return [](QPainter& p) { folderShape(p, true); };
    case 3: return drawInbox;
    case 4: return drawOutbox;
    case 5: return drawSent;
    case 6: return drawRecycled;
    case 7: return drawHistory;
    case 8: return drawExchange;
    default: return {};
    }
}

}  // namespace

QIcon tree(int image) {
    Drawing d = treeDrawing(image);
    return d ? cached("tree" + std::to_string(image), d) : QIcon();
}

QPixmap treePixmap(int image, int size) {
    Drawing d = treeDrawing(image);
    return d ? render(d, size) : QPixmap();
}

QIcon treeByKey(std::string_view key) {
    static const char* const keys[] = {"X", "Root", "Inbox", "Outbox", "Sent", "Recycled", "History", "Exchange"};
    for (int i = 0; i < 8; ++i)
        if (key == keys[i]) return tree(i + 1);
    return {};
}

QIcon list(std::string_view key) {
    struct Entry {
        std::string_view key;
        Drawing draw;
    };
    static const Entry entries[] = {
        {"Closed", [](QPainter& p) { envelopeShape(p, false); }},
        {"Opened", [](QPainter& p) { envelopeShape(p, true); }},
        {"Validated", drawValidated},
        {"Exported", drawExported},
        {"Info", drawInfo},
        {"Warning", drawWarning},
        {"Error", drawError},
        {"Yes", drawYes},
        {"Void", drawVoid},
        {"No", drawNo},
    };
    for (const Entry& e : entries)
        if (e.key == key) return cached("list" + std::string(key), e.draw);
    return {};
}

QIcon sortArrow(int order) { return order == 0 ? cached("up", drawUp) : cached("down", drawDown); }

QIcon toolbar(int image) {
    static const Drawing drawings[] = {
        [](QPainter& p) { folderShape(p, true); },
        drawOptions,
        drawPartners,
        drawProperties,
        drawDelete,
        drawViewer,
        drawDesigner,
        drawFind,
    };
    if (image < 1 || image > 8) return {};
    return cached("tbr" + std::to_string(image), drawings[image - 1]);
}

QIcon application() { return tree(1); }

}  // namespace vt::mainwindow::icons
