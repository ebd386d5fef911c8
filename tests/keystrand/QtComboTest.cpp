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
    ASSERT_EQ(providers.count(), 4);
    EXPECT_EQ(providers.itemText(2), "Keystrand RSA and AES Provider");
    EXPECT_EQ(providers.itemData(2, Qt::UserRole).toInt(), 2);
    EXPECT_EQ(providers.currentIndex(), -1);   // filling selects nothing
    providers.setCurrentIndex(2);

    auto p = list->item(providers.currentIndex());
    p->acquire("", std::int32_t(0xF0000000u));
    p->loadAlgorithms(&algorithmBox);
    EXPECT_EQ(algorithms.count(), 20);
    EXPECT_EQ(algorithms.itemText(0), "Advanced Encryption Standard 128 bit");
    EXPECT_EQ(algorithms.currentIndex(), -1);
    algorithms.setCurrentIndex(3);
    p->loadAlgorithms(&algorithmBox);   // refilled: the choice is gone
    EXPECT_EQ(algorithms.currentIndex(), -1);
    p->release();
    EXPECT_EQ(algorithmBox.text(99), "");
}

}  // namespace
}  // namespace keystrand::test
