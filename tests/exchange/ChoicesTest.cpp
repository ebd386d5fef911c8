// The provider choice over Keystrand, the hash identifiers and the script reference trees.
#include "exchange/ProviderChoice.h"
#include "exchange/clsExchange.h"
#include "exchange/ReferenceTrees.h"

#include <gtest/gtest.h>

#include <set>

namespace vt::test {
namespace {

struct Box : keystrand::ComboTarget {
    std::vector<std::string> items;
    int current = -1;
    void clear() override { items.clear(), current = -1; }
    int addItem(std::string_view t) override {
        items.emplace_back(t);
        return int(items.size()) - 1;
    }
    void insertItem(int p, std::string_view t) override { items.insert(items.begin() + p, std::string(t)); }
    void removeItem(int p) override { items.erase(items.begin() + p); }
    int count() const override { return int(items.size()); }
    std::string text(int i) const override { return i >= 0 && i < count() ? items[std::size_t(i)] : ""; }
    std::int32_t itemData(int) const override { return 0; }
    void setItemData(int, std::int32_t) override {}
    int currentIndex() const override { return current; }
    void setCurrentIndex(int i) override { current = i; }
    void showList(bool) override {}
    bool isDropped() const override { return false; }
};

TEST(ProviderChoice, OneContextAtATimeAndTheIndexMovesOnlyOnSuccess) {
    exchange::ProviderChoice choice;
    choice.setUp();
    Box providers, algorithmsA, algorithmsB;
    choice.loadProviders(providers);
    ASSERT_EQ(providers.count(), 4);
    EXPECT_EQ(providers.text(0), "Keystrand Basic RSA Provider");
    choice.loadAlgorithms(algorithmsA);   // none held: stays empty
    EXPECT_EQ(algorithmsA.count(), 0);

    choice.choose(2, algorithmsA);
    EXPECT_EQ(choice.heldIndex(), 2);
    EXPECT_NE(choice.providers().item(2)->hContext(), 0);
    const auto aesList = algorithmsA.items;
    EXPECT_FALSE(aesList.empty());

    choice.choose(0, algorithmsB);   // provider 2's context goes first
    EXPECT_EQ(choice.providers().item(2)->hContext(), 0);
    EXPECT_NE(choice.providers().item(0)->hContext(), 0);
    EXPECT_EQ(algorithmsA.items, aesList);   // network A keeps its list
    EXPECT_NE(algorithmsB.items, aesList);

    algorithmsB.current = 1;
    choice.choose(0, algorithmsB);   // the same again: refilled, selection gone
    EXPECT_EQ(algorithmsB.current, -1);
    EXPECT_EQ(choice.heldIndex(), 0);

    EXPECT_THROW(choice.choose(7, algorithmsB), automation::Error);
    EXPECT_EQ(choice.heldIndex(), 0);   // nothing released for a position the list lacks
    EXPECT_NE(choice.providers().item(0)->hContext(), 0);
    choice.choose(-1, algorithmsB);
    EXPECT_EQ(choice.heldIndex(), 0);

    choice.releaseHeld();
    EXPECT_EQ(choice.heldIndex(), -1);
    EXPECT_EQ(choice.providers().item(0)->hContext(), 0);
    choice.releaseHeld();   // nothing held: nothing happens
}

TEST(ProviderChoice, HashIdentifiers) {
    const std::pair<int, std::int32_t> cases[] = {{-1, 0}, {0, 32769}, {1, 32770}, {2, 32771}, {3, 32772}, {4, 0}};
    for (const auto& [position, id] : cases) EXPECT_EQ(exchange::HashAlgorithmId(position), id) << position;
}

TEST(ReferenceTrees, GroupsCountsAndTheOneDifference) {
    const auto send = exchange::SendReference(), receive = exchange::ReceiveReference();
    ASSERT_EQ(send.size(), 6u);
    std::vector<std::string> captions;
    std::size_t nodes = 0;
    std::vector<std::size_t> sizes;
    for (const auto& g : send) {
        captions.push_back(g.caption);
        sizes.push_back(g.children.size());
        nodes += 1 + g.children.size();
    }
    EXPECT_EQ(captions, (std::vector<std::string>{"Methods", "Operations", "Properties", "Functions", "Statements",
                                                  "Operators"}));
    EXPECT_EQ(sizes, (std::vector<std::size_t>{14, 16, 5, 93, 27, 21}));
    EXPECT_EQ(nodes, 182u);
    for (std::size_t g = 0; g < send.size(); ++g) {
        for (std::size_t c = 0; c < send[g].children.size(); ++c) {
            if (g == 0 && c == 6) continue;
            EXPECT_EQ(send[g].children[c], receive[g].children[c]);
        }
    }
    EXPECT_EQ(send[0].children[6], "SaveChunk url, filename");
    EXPECT_EQ(receive[0].children[6], "SaveChunk url, file");
    EXPECT_EQ(send[0].children[3], "Inet.GetChunk size, icByteArray");
    EXPECT_EQ(send[2].children[4], "Exchange.LocalFile");
    EXPECT_EQ(send[4].children[9], "For Each ... Next");
    EXPECT_EQ(send[5].children[18], "\\");
    // Only the operation word "get" stands twice.
    std::multiset<std::string> all;
    for (const auto& g : send)
        for (const auto& c : g.children) all.insert(c);
    for (const auto& text : all)
        EXPECT_EQ(all.count(text), text == "get" ? 2u : 1u) << text;
}

}  // namespace
}  // namespace vt::test

// The tree's "Exchange.LocalFile" names the same file as the property LocaleFile.
TEST(ReferenceTrees, TheLocalFileNodeNamesTheLocaleFileProperty) {
    auto x = vt::automation::makeRef<vt::exchange::clsExchange>();
    const vt::automation::Variant obj(x);
    vt::automation::letProperty(obj, "LocalFile", vt::automation::Variant(std::string("a.edi")));
    EXPECT_EQ(x->LocaleFile, "a.edi");
    EXPECT_EQ(vt::automation::toText(vt::automation::getProperty(obj, "LocalFile")), "a.edi");
}
