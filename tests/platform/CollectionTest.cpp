#include "platform/Collection.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> GDestroyed;

class TNamed : public TCollectionItem {
public:
    TNamed(TCollection* C, std::string N) : TCollectionItem(C), Name(std::move(N)) {}
    ~TNamed() override { GDestroyed.push_back(Name); }
    std::string Name;
};

std::string Names(const TCollection& C) {
    std::string R;
    for (TCollectionItem* I : C.Items())
        R += static_cast<TNamed*>(I)->Name;
    return R;
}

} // namespace

TEST(Collection, ItemsKnowTheirPositionThroughMovesAndDeletes) {
    TCollection C;
    for (const char* N : {"a", "b", "c", "d"})
        new TNamed(&C, N);
    EXPECT_EQ(C.Count(), 4);
    C.Move(0, 3);
    EXPECT_EQ(Names(C), "bcda");
    C.Exchange(0, 1);
    EXPECT_EQ(Names(C), "cbda");
    C.GetItem(2)->SetIndex(0);
    EXPECT_EQ(Names(C), "dcba");
    delete C.GetItem(1);
    EXPECT_EQ(Names(C), "dba");
    for (int I = 0; I < C.Count(); ++I)
        EXPECT_EQ(C.GetItem(I)->Index(), I);
    EXPECT_THROW(C.GetItem(3), EListError);
}

TEST(Collection, ClearDestroysFromLastToFirst) {
    GDestroyed.clear();
    {
        TCollection C;
        for (const char* N : {"a", "b", "c"})
            new TNamed(&C, N);
        C.Clear();
        EXPECT_EQ(C.Count(), 0);
        EXPECT_EQ(GDestroyed, (std::vector<std::string>{"c", "b", "a"}));
        new TNamed(&C, "x");
    }
    EXPECT_EQ(GDestroyed.back(), "x");
}

TEST(Collection, ItemsMoveBetweenCollections) {
    TCollection A, B;
    auto* X = new TNamed(&A, "x");
    new TNamed(&A, "y");
    X->SetCollection(&B);
    EXPECT_EQ(Names(A), "y");
    EXPECT_EQ(Names(B), "x");
    EXPECT_EQ(A.GetItem(0)->Index(), 0);
    X->SetCollection(nullptr);
    EXPECT_EQ(B.Count(), 0);
    delete X;
}
