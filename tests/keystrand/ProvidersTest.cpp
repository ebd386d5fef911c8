#include "FakeCombo.h"
#include "Support.h"

#include "keystrand/Enumerations.h"
#include "keystrand/apiComboMethods.h"
#include "keystrand/clsProviderProperties.h"
#include "keystrand/clsProviders.h"

namespace keystrand::test {
namespace {

using namespace vt::automation;

const std::vector<std::string> kNames = {"Keystrand Basic RSA Provider", "Keystrand Full RSA Provider",
                                         "Keystrand RSA and AES Provider", "Keystrand DSS and Diffie-Hellman Provider"};

// Positions are stored by users: the list and its order never change.
TEST(Providers, FixedOrderKeysAndLookups) {
    auto list = makeRef<clsProviders>();
    ASSERT_EQ(list->count(), 4);
    std::vector<std::string> names;
    auto it = list->enumerate();
    for (Variant v; it->next(v);) names.push_back(v.objectAs<clsProvider>()->name());
    EXPECT_EQ(names, kNames);
    EXPECT_EQ(list->item(Variant(std::int16_t(1)))->name(), kNames[1]);
    EXPECT_EQ(list->item(Variant("1"))->name(), kNames[1]);
    EXPECT_EQ(list->item(Variant("")), nullptr);
    EXPECT_EQ(errorOf([&] { list->item(5); }).number, err::InvalidCall);
    EXPECT_EQ(list->item(2)->providerType(), PROV_RSA_AES);
    EXPECT_EQ(list->item(3)->providerType(), PROV_DSS_DH);

    EXPECT_EQ(list->locateProvider(kNames[1], PROV_RSA_FULL), 1);
    EXPECT_EQ(list->locateProvider("keystrand full rsa provider", PROV_RSA_FULL), -1);   // case counts
    EXPECT_EQ(list->locateProvider(kNames[1], PROV_RSA_AES), -1);
    // Late bound, the default member is Item and LocateProvider answers an Integer.
    EXPECT_EQ(toString(getProperty(getProperty(Variant(list), "", {Variant(0)}), "NAME")), kNames[0]);
    EXPECT_EQ(call(Variant(list), "LocateProvider", {Variant("x"), Variant(1)}), Variant(std::int16_t(-1)));

    list->getProviders();   // appends the table once more, under the following keys
    EXPECT_EQ(list->count(), 8);
    EXPECT_EQ(list->item(5)->name(), kNames[1]);
}

TEST(Providers, LoadComboBoxEmptiesAndNumbersItems) {
    auto list = makeRef<clsProviders>();
    FakeCombo box;
    box.addItem("stale");
    list->loadComboBox(&box);
    EXPECT_EQ(box.texts(), kNames);
    for (int i = 0; i < box.count(); ++i) EXPECT_EQ(box.itemData(i), i);
    // By handle, as a script passes it; 0 and unknown handles do nothing.
    FakeCombo other;
    {
        ComboRegistration reg(other);
        call(Variant(list), "LoadComboBox", {Variant(reg.handle())});
        EXPECT_EQ(other.count(), 4);
    }
    EXPECT_NO_THROW(call(Variant(list), "LoadComboBox", {Variant(0)}));
    EXPECT_EQ(comboFor(0), nullptr);
}

TEST(Providers, AcquireReleaseAndAlgorithms) {
    const std::size_t before = engine::liveHandles();
    auto list = makeRef<clsProviders>();
    Ref<clsProvider> p = list->item(1);
    EXPECT_TRUE(p->acquire("", CRYPT_VERIFYCONTEXT));
    const std::int32_t first = p->hContext();
    EXPECT_NE(first, 0);
    // Acquiring over a held context releases it first.
    EXPECT_TRUE(p->acquire("", CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(engine::liveHandles(), before + 1);
    EXPECT_FALSE(engine::contextInfo(first));

    FakeCombo box;
    box.addItem("stale");
    p->loadAlgorithms(&box);
    ASSERT_EQ(box.count(), 14);
    EXPECT_EQ(box.text(0), "RC2 block cipher");
    EXPECT_EQ(box.text(7), "Message Digest 2 (MD2)");
    EXPECT_EQ(box.itemData(12), 12);

    auto props = p->properties();
    EXPECT_EQ(toString(getProperty(Variant(props), "NAME")), kNames[1]);   // no trailing zero
    EXPECT_EQ(toString(getProperty(Variant(props), "VERSION")), "&H200");
    EXPECT_EQ(getProperty(Variant(props), "USE_HARDWARE_RNG"), Variant(false));
    EXPECT_EQ(getProperty(Variant(props), "PROVTYPE"), Variant(PROV_RSA_FULL));
    EXPECT_EQ(toString(getProperty(Variant(props), "Container")), "");
    const Variant algs = getProperty(Variant(props), "ENUMALGS_EX");
    EXPECT_EQ(getProperty(algs, "Count"), Variant(14));
    const Variant rc4 = getProperty(algs, "Item", {Variant("1")});
    EXPECT_EQ(toString(getProperty(rc4, "szName")), "RC4");
    EXPECT_EQ(getProperty(rc4, "aiAlgid"), Variant(alg::RC4));
    EXPECT_EQ(getProperty(rc4, "dwMaxLen"), Variant(128));
    const Variant shortForm = getProperty(getProperty(Variant(props), "ENUMALGS"), "Item", {Variant("2")});
    EXPECT_EQ(toString(getProperty(shortForm, "szName")), "DES");
    EXPECT_EQ(getProperty(shortForm, "dwBitLen"), Variant(56));

    EXPECT_EQ(p->generateRandom(16).size(), 16u);
    EXPECT_TRUE(p->generateRandom(0).empty());
    EXPECT_TRUE(p->generateRandom(-3).empty());

    EXPECT_TRUE(p->release());
    EXPECT_EQ(p->hContext(), 0);
    const Error again = errorOf([&] { p->release(); });
    EXPECT_EQ(again.number, code::BadUid);
    EXPECT_EQ(again.source, "clsProvider.Release");
    EXPECT_EQ(again.description, "Bad UID.");
    EXPECT_EQ(engine::liveHandles(), before);

    // Properties of no context: zeros, empty texts and Nothing.
    auto none = p->properties();
    EXPECT_EQ(getProperty(Variant(none), "PROVTYPE"), Variant(0));
    EXPECT_EQ(toString(getProperty(Variant(none), "NAME")), "");
    EXPECT_TRUE(getProperty(Variant(none), "ENUMALGS_EX").isNothing());
    EXPECT_TRUE(p->generateRandom(8).empty());

    // A provider that ends releases the context it holds.
    list->item(0)->acquire("", CRYPT_VERIFYCONTEXT);
    EXPECT_EQ(engine::liveHandles(), before + 1);
    list.reset();
    p.reset();
    EXPECT_EQ(engine::liveHandles(), before);
}

TEST(Providers, AcquireFailureCarriesItsNumberAndSource) {
    auto list = makeRef<clsProviders>();
    const Error e = errorOf([&] { list->item(0)->acquire("", CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET); });
    EXPECT_EQ(e.number, code::BadFlags);
    EXPECT_EQ(e.source, "clsProvider.Acquire");
    EXPECT_EQ(e.description, "Invalid flags specified.");
    EXPECT_EQ(list->item(0)->hContext(), 0);
}

TEST(ComboMethods, OperationsAndNoBox) {
    FakeCombo box;
    auto c = makeRef<apiComboMethods>(&box);
    c->addItem("10", 7);
    c->addItem("20", 8);
    c->insertItem(0, "5");
    c->selectItem(2);
    EXPECT_EQ(c->count(), 3);
    EXPECT_EQ(c->selectedItemIndex(), 2);
    EXPECT_EQ(c->selectedItemText(), 20);
    EXPECT_EQ(c->selectedItemData(), 8);
    EXPECT_EQ(c->text(0), "5");
    c->deleteItem(0);
    EXPECT_EQ(c->text(0), "10");
    c->showList();
    EXPECT_TRUE(c->isDropped());
    c->clearAll();
    EXPECT_EQ(c->selectedItemIndex(), -1);

    auto none = makeRef<apiComboMethods>();
    none->addItem("x", 1);
    EXPECT_EQ(none->count(), 0);
    EXPECT_EQ(none->text(0), "");
    EXPECT_FALSE(none->isDropped());
    EXPECT_EQ(none->selectedItemText(), 0);
}

}  // namespace
}  // namespace keystrand::test

namespace keystrand::test {
namespace {

using namespace vt::automation;

class ProviderContainers : public DataRootTest {};

TEST_F(ProviderContainers, NamedContainersAndTheirList) {
    auto list = makeRef<clsProviders>();
    Ref<clsProvider> p = list->item(1);
    p->acquire("Zulu", CRYPT_NEWKEYSET);
    p->acquire("Alpha", CRYPT_NEWKEYSET);   // releases Zulu's context first
    EXPECT_EQ(toString(getProperty(Variant(p->properties()), "Container")), "Alpha");
    EXPECT_EQ(toString(getProperty(Variant(p->properties()), "UNIQUE_CONTAINER")), "Alpha");
    const Variant names = getProperty(Variant(p->properties()), "ENUMCONTAINERS");
    EXPECT_EQ(getProperty(names, "Count"), Variant(2));
    EXPECT_EQ(toString(getProperty(names, "Item", {Variant("0")})), "Alpha");
    FakeCombo box;
    p->loadContainers(&box);
    EXPECT_EQ(box.texts(), (std::vector<std::string>{"Alpha", "Zulu"}));
    EXPECT_EQ(box.itemData(1), 1);
    p->release();
    // Deleting a key set gives no context.
    EXPECT_TRUE(p->acquire("Zulu", CRYPT_DELETEKEYSET));
    EXPECT_EQ(p->hContext(), 0);
    try {
        p->acquire("Zulu", 0);
        ADD_FAILURE() << "a deleted key set opened";
    } catch (const Error& e) {
        EXPECT_EQ(e.number, code::BadKeyset);
        EXPECT_EQ(e.description, "Keyset does not exist");
    }
}

}  // namespace
}  // namespace keystrand::test
