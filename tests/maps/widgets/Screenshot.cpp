// The designer with the 850 fixture map, an element shown and a finished test run; writes the PNG
// named by the first argument. Run by hand under a virtual display.

#include "DesignerFixture.h"

#include <QPixmap>
#include <QTabBar>
#include <QTimer>

int main(int argc, char** argv) {
    using namespace vt::test;
    application();
    QApplication::setStyle(QStringLiteral("Fusion"));
    DesignerDb d;
    d.db.exec("UPDATE Segment SET SegmentName = 'Beginning Segment for Purchase Order', Level = 'H', "
              "SegmentUsage = 'M', Looping = 0 WHERE SegmentIndex = 1");
    d.db.exec("UPDATE Segment SET Looping = 1, Expanded = 1, SegmentName = 'Name' WHERE SegmentIndex = 4 AND \"Transaction\" = '850'");
    d.db.exec("UPDATE Segment SET Looping = 1, Expanded = 1 WHERE SegmentIndex = 6 AND \"Transaction\" = '850'");
    d.db.exec("UPDATE Element SET ElementName = 'Purchase Order Number', Type = 'AN', ElementUsage = 'M', "
              "Minimum = 1, Maximum = 22 WHERE SegmentIndex = 1 AND ElementIndex = 3 AND \"Transaction\" = '850'");
    d.addSet(set850("0001", "PO-1"));
    vt::folders::FolderSelection inbox = d.list("Inbox", {0});
    vt::maps::frmMap::Host host;
    host.inbox = [&] { return std::optional<vt::folders::FolderSelection>(inbox); };
    vt::maps::frmMap w(d.services, host);
    w.Form_Load();
    w.show();
    const std::string shot = argc > 2 ? argv[2] : "element";
    if (shot == "run") {
        w.cmdProcess_Click();
        w.tabs()->setCurrentIndex(argc > 3 ? std::atoi(argv[3]) : 1);
    } else if (shot == "element") {
        w.tvwTSets_NodeClick("Element010103");
    }
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    w.grab().save(QString::fromLocal8Bit(argc > 1 ? argv[1] : "designer.png"));
    return 0;
}
