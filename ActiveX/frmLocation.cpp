#include "ActiveX/frmLocation.h"

#include "platform/text/AnsiQt.h"

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace vt::brackwen {

namespace {

// Twips to pixels at the usual 96 dots per inch.
int px(int twips) { return (twips + 7) / 15; }

QLabel* label(QWidget* parent, const char* text, int top) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setGeometry(px(120), px(top), px(7575), px(255));
    return l;
}

}  // namespace

frmLocation::frmLocation(HostServices* host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("frmLocation");
    setWindowTitle(QStringLiteral("Zorizeradiru Shipping "));
    setFixedSize(px(7815), px(7770));

    label(this, "Please select the Destination:", 120)->setObjectName("lblDestination");
    lvwLocation = new QTreeWidget(this);
    lvwLocation->setObjectName("lvwLocation");
    lvwLocation->setGeometry(px(120), px(360), px(7575), px(2175));
    lvwLocation->setRootIsDecorated(false);
    lvwLocation->setAllColumnsShowFocus(true);
    lvwLocation->setSelectionMode(QAbstractItemView::SingleSelection);
    const char* headers[] = {"Location", "DC", "Street", "City", "State/Prov", "Postal/Zip"};
    const int widths[] = {3600, 1200, 2200, 2400, 1200, 1200};
    QStringList headerTexts;
    for (const char* h : headers) headerTexts << QString::fromLatin1(h);
    lvwLocation->setHeaderLabels(headerTexts);
    for (int c = 0; c < 6; ++c) lvwLocation->setColumnWidth(c, px(widths[c]));

    label(this, "Please select the Carrier:", 2520)->setObjectName("lblCarrier");
    lstCarrier = new QListWidget(this);
    lstCarrier->setObjectName("lstCarrier");
    lstCarrier->setGeometry(px(120), px(2880), px(7575), px(1230));

    label(this, "ONLY use if shipment is delivered to a Consolidation Facility.", 4200)->setObjectName("Label1");
    lstConsolidation = new QListWidget(this);
    lstConsolidation->setObjectName("lstConsolidation");
    lstConsolidation->setGeometry(px(120), px(4440), px(7575), px(1425));

    label(this, "Please enter the Pro Number: Max (22)", 5880)->setObjectName("lblProNumber");
    txtProNumber = new QLineEdit(this);
    txtProNumber->setObjectName("txtProNumber");
    txtProNumber->setGeometry(px(120), px(6120), px(7575), px(285) + 2);
    txtProNumber->setMaxLength(22);

    label(this, "Please enter the Trailer Number: Max (10)", 6480)->setObjectName("lblTrailerNumber");
    txtTrailerNumber = new QLineEdit(this);
    txtTrailerNumber->setObjectName("txtTrailerNumber");
    txtTrailerNumber->setGeometry(px(120), px(6720), px(7575), px(285) + 2);
    txtTrailerNumber->setMaxLength(10);

    cmdContinue = new QPushButton(QStringLiteral("Continue"), this);
    cmdContinue->setObjectName("cmdContinue");
    cmdContinue->setGeometry(px(3278), px(7200), px(1215), px(375));
    cmdContinue->setDefault(true);
    connect(cmdContinue, &QPushButton::clicked, this, [this] { cmdContinue_Click(); });

    setTabOrder(lvwLocation, cmdContinue);
    setTabOrder(cmdContinue, lstCarrier);
    setTabOrder(lstCarrier, txtProNumber);
    setTabOrder(txtProNumber, txtTrailerNumber);
    setTabOrder(txtTrailerNumber, lstConsolidation);

    load();
}

void frmLocation::load() {
    const ShippingTables t = loadShippingTables(host_);
    QTreeWidgetItem* chosen = nullptr;
    for (const LocationRow& r : t.locations) {
        auto* item = new QTreeWidgetItem(lvwLocation, QStringList{text::fromAnsi(r.name), text::fromAnsi(r.shipToCode),
                                                                  text::fromAnsi(r.street), text::fromAnsi(r.city),
                                                                  text::fromAnsi(r.stateProvince),
                                                                  text::fromAnsi(r.postalZip)});
        if (!r.shipToCode.empty() && std::string_view("01245").find(r.shipToCode[0]) != std::string_view::npos) {
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int c = 0; c < 6; ++c) item->setFont(c, bold);
        }
        if (r.selected) chosen = item;
    }
    lvwLocation->setSortingEnabled(true);
    lvwLocation->sortByColumn(1, Qt::AscendingOrder);
    if (chosen) {
        lvwLocation->setCurrentItem(chosen);
        lvwLocation->scrollToItem(chosen);
    }
    for (const CarrierRow& r : t.carriers) {
        lstCarrier->addItem(text::fromAnsi(r.description));
        if (r.selected) {
            lstCarrier->setCurrentRow(lstCarrier->count() - 1);
            txtProNumber->setText(text::fromAnsi(r.proNumber));
            txtTrailerNumber->setText(text::fromAnsi(r.trailerNumber));
        }
    }
    for (const ConsolidationRow& r : t.consolidations) {
        lstConsolidation->addItem(text::fromAnsi(r.locationName));
        if (r.selected) lstConsolidation->setCurrentRow(lstConsolidation->count() - 1);
    }
}

ShippingChoice frmLocation::choice() const {
    ShippingChoice c;
    const auto selectedText = [](QListWidget* list) {
        const auto items = list->selectedItems();
        return items.isEmpty() ? std::string() : text::toAnsi(items.front()->text());
    };
    const auto locations = lvwLocation->selectedItems();
    if (!locations.isEmpty()) c.destinationCode = text::toAnsi(locations.front()->text(1));
    c.carrier = selectedText(lstCarrier);
    c.facility = selectedText(lstConsolidation);
    c.proNumber = text::toAnsi(txtProNumber->text());
    c.trailerNumber = text::toAnsi(txtTrailerNumber->text());
    return c;
}

void frmLocation::cmdContinue_Click() {
    if (lvwLocation->selectedItems().isEmpty()) {
        messageBox(host_, "Please select the Destination.", 48);
        lvwLocation->setFocus();
        return;
    }
    try {
        saveShippingChoice(host_, choice());
        accept();
    } catch (...) {
        failure = std::current_exception();
        reject();
    }
}

void showLocationWindow(HostServices* host) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        automation::raise(automation::err::CannotCreateObject, kLibraryName, "No window can be shown here");
    frmLocation window(host, QApplication::activeWindow());
    window.exec();
    if (window.failure) std::rethrow_exception(window.failure);
}

}  // namespace vt::brackwen
