#include "maps/frmMapIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace vt::maps::icons {

namespace {

using Drawing = std::function<void(QPainter&)>;

QIcon iconOf(const Drawing& draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPen pen(QColor c, double w = 1.0) {
    QPen p(c, w);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// A rounded tile with a letter or two: the reference tree's branches.
Drawing badge(QColor fill, const char* letters) {
    return [fill, letters](QPainter& p) {
        p.setPen(pen(fill.darker(150), 0.8));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        QFont f;
        f.setPixelSize(std::char_traits<char>::length(letters) > 1 ? 7 : 10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QString::fromLatin1(letters));
    };
}

void segmentBar(QPainter& p, QColor fill) {
    p.setPen(pen(fill.darker(160), 0.8));
    p.setBrush(fill);
    for (int i = 0; i < 3; ++i) p.drawRect(QRectF(2.5 + i * 4, 5.5, 3, 5));
}

QIcon make(std::string_view key) {
    if (key == "Segment") return iconOf([](QPainter& p) { segmentBar(p, QColor(70, 120, 200)); });
    if (key == "Looping")
        return iconOf([](QPainter& p) {
            segmentBar(p, QColor(60, 160, 90));
            p.setPen(pen(QColor(30, 110, 50), 1.2));
            p.setBrush(Qt::NoBrush);
            QPainterPath loop;
            loop.moveTo(3, 4);
            loop.cubicTo(3, 0.5, 13, 0.5, 13, 4);
            p.drawPath(loop);
            p.drawLine(QPointF(13, 4), QPointF(11.5, 2.8));
        });
    if (key == "Element")
        return iconOf([](QPainter& p) {
            p.setPen(pen(QColor(150, 100, 20), 0.8));
            p.setBrush(QColor(240, 190, 70));
            p.drawRect(QRectF(5.5, 5.5, 5, 5));
        });
    if (key == "Results") return iconOf(badge(QColor(190, 90, 40), "R"));
    if (key == "Record") return iconOf(badge(QColor(60, 120, 190), "F"));
    if (key == "Methods") return iconOf(badge(QColor(120, 70, 170), "M"));
    if (key == "Properties") return iconOf(badge(QColor(40, 140, 130), "P"));
    if (key == "Functions") return iconOf(badge(QColor(70, 140, 60), "fx"));
    if (key == "Operators") return iconOf(badge(QColor(110, 110, 110), "+-"));
    if (key == "Statements") return iconOf(badge(QColor(30, 70, 150), "St"));
    return {};
}

QIcon makeButton(std::string_view name) {
    const QColor ink(40, 60, 110);
    if (name == "Add")
        return iconOf([ink](QPainter& p) {
            p.setPen(pen(QColor(30, 130, 50), 2.2));
            p.drawLine(QPointF(8, 3), QPointF(8, 13));
            p.drawLine(QPointF(3, 8), QPointF(13, 8));
        });
    if (name == "Delete")
        return iconOf([](QPainter& p) {
            p.setPen(pen(QColor(190, 40, 40), 2.2));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
        });
    if (name == "Save")
        return iconOf([ink](QPainter& p) {
            p.setPen(pen(ink, 0.9));
            p.setBrush(QColor(90, 120, 190));
            p.drawRect(QRectF(2.5, 2.5, 11, 11));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 2.5, 7, 4));
            p.setBrush(QColor(200, 200, 210));
            p.drawRect(QRectF(5, 9, 6, 4.5));
        });
    if (name == "Duplicate")
        return iconOf([ink](QPainter& p) {
            p.setPen(pen(ink, 0.9));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(2.5, 2.5, 8, 8));
            p.setBrush(QColor(220, 230, 250));
            p.drawRect(QRectF(5.5, 5.5, 8, 8));
        });
    auto arrow = [ink](QPointF a, QPointF b, QPointF c) {
        return iconOf([=](QPainter& p) {
            p.setPen(pen(ink, 0.8));
            p.setBrush(QColor(80, 120, 200));
            QPolygonF poly;
            poly << a << b << c;
            p.drawPolygon(poly);
        });
    };
    if (name == "Up") return arrow({8, 3}, {13, 12}, {3, 12});
    if (name == "Down") return arrow({8, 13}, {13, 4}, {3, 4});
    if (name == "In") return arrow({13, 8}, {4, 3}, {4, 13});
    if (name == "Out") return arrow({3, 8}, {12, 3}, {12, 13});
    if (name == "Process")
        return iconOf([](QPainter& p) {
            p.setPen(pen(QColor(30, 110, 40), 0.8));
            p.setBrush(QColor(60, 170, 70));
            QPolygonF play;
            play << QPointF(4, 2.5) << QPointF(13.5, 8) << QPointF(4, 13.5);
            p.drawPolygon(play);
        });
    return {};
}

}  // namespace

QIcon tree(std::string_view key) {
    static const char* const keys[] = {"Segment", "Element", "Looping", "Results", "Record",
                                       "Methods", "Properties", "Functions", "Operators", "Statements"};
    for (const char* k : keys)
        if (key == k) return make(key);
    return {};
}

QIcon button(std::string_view name) { return makeButton(name); }

}  // namespace vt::maps::icons
