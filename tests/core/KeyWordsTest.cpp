#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct KeyWordSearch : ::testing::Test {
    TestCatalog Cat;
    TFileItem *X = AddFile(Cat.get(), "x"), *Y = AddFile(Cat.get(), "y"),
              *Z = AddFile(Cat.get(), "z");
    TKeyWordItem* Key(const std::string& Name, TKeyWordState S, std::vector<TBasicItem*> Clients) {
        auto* K = new TKeyWordItem(Cat->KeyWords());
        K->SetItemName(Name);
        K->SetState(S);
        for (TBasicItem* C : Clients)
            K->AddClient(C);
        return K;
    }
    std::vector<TBasicItem*> Find(bool Any) {
        std::vector<TBasicItem*> R{Z}; // emptied first
        Cat->KeyWords()->FindItems(R, Any);
        return R;
    }
};

} // namespace

TEST_F(KeyWordSearch, IncludeAndExcludeWithAllOrAny) {
    Key("A", ksInclude, {X, Y});
    Key("B", ksInclude, {Y, Z});
    Key("C", ksExclude, {Y});
    EXPECT_TRUE(Find(false).empty());
    EXPECT_EQ(Find(true), (std::vector<TBasicItem*>{X, Z}));
}

TEST_F(KeyWordSearch, AllWalksTheSmallestKeywordInItsClientOrder) {
    Key("Big", ksInclude, {Z, Y, X});
    Key("Small", ksInclude, {Y, X});
    EXPECT_EQ(Find(false), (std::vector<TBasicItem*>{Y, X}));
}

TEST_F(KeyWordSearch, ExcludedAloneSelectsNothing) {
    Key("C", ksExclude, {X});
    Key("N", ksNormal, {Y});
    EXPECT_TRUE(Find(true).empty());
    EXPECT_TRUE(Find(false).empty());
}

TEST_F(KeyWordSearch, LinksStayInStepOnBothSides) {
    auto* K = Key("Music", ksNormal, {});
    CatalogModified = false;
    K->AddClient(X);
    K->AddClient(X);
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(K->Clients().Count(), 1);
    EXPECT_EQ(X->KeyWords().size(), 1u);
    auto* L = Key("Video", ksNormal, {X, Y});
    delete K;
    EXPECT_EQ(X->KeyWords(), (std::vector<TKeyWordItem*>{L}));
    delete X;
    EXPECT_EQ(L->Clients().Snapshot(), (std::vector<TCustomCatalogItem*>{Y}));
}

TEST(KeyWordState, CyclesThroughThreeStates) {
    EXPECT_EQ(NextKeyWordState(ksNormal), ksInclude);
    EXPECT_EQ(NextKeyWordState(ksInclude), ksExclude);
    EXPECT_EQ(NextKeyWordState(ksExclude), ksNormal);
    EXPECT_EQ(NextKeyWordState(7), ksNormal);
    TestCatalog Cat;
    auto* K = new TKeyWordItem(Cat->KeyWords());
    CatalogModified = false;
    K->SetState(ksExclude);
    EXPECT_FALSE(CatalogModified);
}
