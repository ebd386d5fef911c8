// The location picker: the stored choice as one line of text, the choice written by Continue,
// and the window as GetLocation shows it (loaded from the tables, Continue, the close box).

#include "BrackwenFixture.h"

#include "ActiveX/LocationPicker.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace vt::test {
namespace {

using automation::Variant;

struct Picker : ::testing::Test {
    PartnerDb d;

    void SetUp() override {
        d.db.exec(
            "INSERT INTO Location (Name, ShipToCode, SoldToCode, Street, City, StateProvince, PostalZip, Selected) VALUES "
            "('Zeta Yard', 'A20', 'S9', '9 Yard Rd', 'Hamilton', 'ON', 'L8P 1A1', 0),"
            "('Beta Plant ', ' 100 ', ' S1 ', '1 Plant St', 'Windsor', 'ON', 'N9A 1A1', 0),"
            "('Alpha DC', '100', 'S2', '2 Dock Ave', 'Detroit', 'MI', '48201', 0),"
            "('Gamma Works', '300', 'S3', '3 Mill Ln', 'Toledo', 'OH', '43604', -1);"
            "INSERT INTO Carrier (Description, Carrier, ProNumber, TrailerNumber, Selected) VALUES "
            "('Fast Freight ', 'FFRT', 'OLD1', 'T1', 0), ('Slow Haul', 'SLOW', 'P-9', 'T9', -1);"
            "INSERT INTO Consolidation (LocationName, CS, Selected) VALUES "
            "('North Hub', 'CS1', 0), ('South Hub', 'CS2', 0)");
    }
    std::string stored() {
        std::string text;
        brackwen::readLocationText(&d.host, text);
        return text;
    }
    std::string column(const char* table, const char* fields) {
        return d.db.scalarText(std::string("SELECT group_concat(") + fields + ", ';') FROM (SELECT * FROM " + table +
                               " ORDER BY Id)");
    }
};

TEST_F(Picker, ContinueStoresTheChoiceAndTheTextReadsItBack) {
    struct Case {
        const char* name;
        brackwen::ShippingChoice choice;
        std::string text;
    };
    const Case cases[] = {
        // Every Location with the trimmed code is flagged; the last in name order gives the text.
        {"all three chosen", {"100", "Fast Freight", "South Hub ", "pro-12ab", "tr9x"},
         "Beta Plant,100,S1,FFRT,PRO-12AB,TR9X,CS2"},
        {"no carrier and no facility", {"300", "", "", "", ""}, "Gamma Works,300,S3"},
        {"a destination code no row has", {"999", "Slow Haul", "", "x", "y"}, ",SLOW,X,Y"},
    };
    const char* flags[] = {"0;-1;-1;0", "0;0;0;-1", "0;0;0;0"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        brackwen::saveShippingChoice(&d.host, cases[i].choice);
        EXPECT_EQ(stored(), cases[i].text) << cases[i].name;
        EXPECT_EQ(column("Location", "Selected"), flags[i]) << cases[i].name;
    }
    // Carriers not chosen keep their numbers.
    EXPECT_EQ(column("Carrier", "Selected || ',' || ProNumber || ',' || TrailerNumber"), "0,PRO-12AB,TR9X;-1,X,Y");
}

TEST_F(Picker, WithoutTheDatabaseTheTextIsEmpty) {
    d.db.close();
    auto general = d.create("General");
    application();
    EXPECT_EQ(automation::toText(automation::call(Variant(general), "GetLocation")), "");
}

// Runs GetLocation; `act` gets the window while it is shown modally.
std::string getLocation(PartnerDb& d, std::function<void(QDialog&)> act) {
    application();
    auto general = d.create("General");
    bool acted = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "frmLocation" && w->isVisible()) {
                acted = true;
                act(*static_cast<QDialog*>(w));
            }
    });
    const std::string text = automation::toText(automation::call(Variant(general), "GetLocation"));
    EXPECT_TRUE(acted);
    return text;
}

TEST_F(Picker, TheWindowShowsTheStoredChoiceAndStoresANewOne) {
    const std::string text = getLocation(d, [&](QDialog& w) {
        EXPECT_EQ(w.windowTitle(), "Zorizeradiru Shipping ");
        auto* list = w.findChild<QTreeWidget*>("lvwLocation");
        auto* carriers = w.findChild<QListWidget*>("lstCarrier");
        auto* facilities = w.findChild<QListWidget*>("lstConsolidation");
        auto* pro = w.findChild<QLineEdit*>("txtProNumber");
        auto* trailer = w.findChild<QLineEdit*>("txtTrailerNumber");
        // Sorted on the DC column; codes whose first character is 0, 1, 2, 4 or 5 in bold.
        std::vector<std::string> items;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* it = list->topLevelItem(i);
            items.push_back(it->text(0).toStdString() + "/" + it->text(1).toStdString() + "/" +
                            it->text(5).toStdString() + (it->font(0).bold() ? "/bold" : ""));
        }
        EXPECT_EQ(items, (std::vector<std::string>{"Beta Plant / 100 /N9A 1A1", "Alpha DC/100/48201/bold",
                                                   "Gamma Works/300/43604", "Zeta Yard/A20/L8P 1A1"}));
        ASSERT_EQ(list->selectedItems().size(), 1);
        EXPECT_EQ(list->selectedItems().front()->text(0), "Gamma Works");
        EXPECT_EQ(carriers->currentItem()->text(), "Slow Haul");
        EXPECT_EQ(pro->text(), "P-9");
        EXPECT_EQ(trailer->text(), "T9");
        EXPECT_EQ(pro->maxLength(), 22);
        EXPECT_EQ(trailer->maxLength(), 10);
        EXPECT_TRUE(facilities->selectedItems().isEmpty());

        // Continue without a destination asks for one and writes nothing.
        list->clearSelection();
        d.ui.events.clear();
        w.findChild<QPushButton*>("cmdContinue")->click();
        EXPECT_EQ(d.boxes(), std::vector<std::string>{"box 48 Brackwen: Please select the Destination."});
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(column("Location", "Selected"), "0;0;0;-1");

        list->setCurrentItem(list->topLevelItem(1));
        carriers->setCurrentRow(0);
        facilities->setCurrentRow(1);
        pro->setText("pro77");
        trailer->setText("tr1");
        w.findChild<QPushButton*>("cmdContinue")->click();
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_EQ(text, "Beta Plant,100,S1,FFRT,PRO77,TR1,CS2");
}

TEST_F(Picker, TheCloseBoxChangesNothing) {
    const std::string text = getLocation(d, [&](QDialog& w) {
        w.findChild<QListWidget*>("lstConsolidation")->setCurrentRow(0);
        if (const char* shots = std::getenv("VT_SCREENSHOT_DIR"))
            w.grab().save(QString::fromLocal8Bit(shots) + "/frmLocation.png");
        w.close();
    });
    EXPECT_EQ(text, "Gamma Works,300,S3,SLOW,P-9,T9");
}

}  // namespace
}  // namespace vt::test
