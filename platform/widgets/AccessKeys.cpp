#include "platform/widgets/AccessKeys.h"

#include <QAction>
#include <QMenu>
#include <QSet>
#include <QString>

#include <vector>

namespace vt::widgets {

namespace {

// Where the access key of a caption stands, -1 when there is none.
int keyPosition(const QString& caption) {
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return -1;
}

}  // namespace

QChar AccessKey(const QString& caption) {
    const int at = keyPosition(caption);
    return at < 0 ? QChar() : caption[at].toUpper();
}

void GiveAccessKeys(QMenu* menu) {
    if (!menu) return;
    QSet<QChar> taken;
    std::vector<QAction*> without;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        const QChar key = AccessKey(a->text());
        if (key.isNull()) without.push_back(a);
        else taken.insert(key);
    }
    for (QAction* a : without) {
        const QString text = a->text();
        int chosen = -1;
        // Word starts first, then any letter or digit.
        for (int pass = 0; pass < 2 && chosen < 0; ++pass)
            for (int i = 0; i < text.size() && chosen < 0; ++i) {
                const QChar c = text[i];
                if (!c.isLetterOrNumber() || taken.contains(c.toUpper())) continue;
                const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
                if (pass == 0 && !wordStart) continue;
                chosen = i;
            }
        if (chosen < 0) continue;
        taken.insert(text[chosen].toUpper());
        // Without a key every "&" of the caption is half of a "&&", so one more marks the key.
        QString keyed = text;
        keyed.insert(chosen, QLatin1Char('&'));
        a->setText(keyed);
    }
}

}  // namespace vt::widgets
