#include "keystrand/clsProviders.h"
#include "keystrand/qt/QtComboTarget.h"

#include <QApplication>
#include <QComboBox>

#include <gtest/gtest.h>

namespace keystrand::test {
namespace {

TEST(QtCombo, ProvidersAndAlgorithmsFillAComboBox) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QComboBox providers, algorithms;
    providers.addItem("stale");
    QtComboTarget providerBox(&providers), algorithmBox(&algorithms);
    auto list = vt::automation::makeRef<clsProviders>();
    list->loadComboBox(&providerBox);
    ASSERT_EQ(providers.count(), 3);
    EXPECT_EQ(providers.itemText(2), "Keystrand RSA and AES Provider");
    EXPECT_EQ(providers.itemData(2, Qt::UserRole).toInt(), 2);
    EXPECT_EQ(providerBox.currentIndex(), 0);   // a QComboBox selects its first item

    auto p = list->item(providers.currentIndex());
    p->acquire("", std::int32_t(0xF0000000u));
    p->loadAlgorithms(&algorithmBox);
    EXPECT_EQ(algorithms.count(), 10);
    EXPECT_EQ(algorithms.itemText(0), "RC2 block cipher");
    algorithmBox.setCurrentIndex(-1);
    EXPECT_EQ(algorithms.currentIndex(), -1);
    p->release();
    EXPECT_EQ(algorithmBox.text(99), "");
}

}  // namespace
}  // namespace keystrand::test
