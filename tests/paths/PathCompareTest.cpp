#include "PathTestSupport.h"
#include "support/ReportCapture.h"

namespace {

const ComparePolicy kAllPolicies[] = {kCompareDefault, kCompareExact, kCompareIgnoreCase, kCompareLexical};

TEST(PathEquality, SameElementsAndCaseUnderEachPolicy) {
    const PathRef a = MakePath(kBaseAbsolute, {"D", "dir", "File"});
    const PathRef b = MakePath(kBaseAbsolute, {"D", "dir", "FILE"});
    for (ComparePolicy p : kAllPolicies) {
        EXPECT_TRUE(a.Equals(MakePath(kBaseAbsolute, {"D", "dir", "File"}), p));
        EXPECT_EQ(a.Compare(MakePath(kBaseAbsolute, {"D", "dir", "File"}), p), 0);
        EXPECT_EQ(a.Equals(b, p), p != kCompareExact) << p;
        EXPECT_EQ(a.Compare(b, p) == 0, p != kCompareExact) << p;
        EXPECT_FALSE(a.Equals(MakePath(kBaseAbsolute, {"D", "dir"}), p));
        EXPECT_FALSE(a.Equals(PathRef(), p));
        EXPECT_TRUE(PathRef().Equals(PathRef(), p));
    }
}

TEST(PathEquality, DifferentBasesNeverEqual) {
    const PathRef abs = MakePath(kBaseAbsolute, {"a"});
    const PathRef rel = MakePath(kBaseRelative, {"a"});
    const PathRef unc = MakePath(kBaseUNC, {"a"});
    for (ComparePolicy p : kAllPolicies) {
        EXPECT_FALSE(abs.Equals(rel, p));
        EXPECT_FALSE(unc.Equals(abs, p));
        EXPECT_FALSE(PathRef(kBaseAbsolute).Equals(PathRef(kBaseRelative), p));
    }
}

TEST(PathOrder, CommonItemsAndFirstDifference) {
    const PathRef dab = MakePath(kBaseAbsolute, {"D", "a", "b"});
    const PathRef dac = MakePath(kBaseAbsolute, {"D", "a", "c"});
    for (ComparePolicy p : kAllPolicies) {
        EXPECT_EQ(dab.Compare(dac, p), -3);
        EXPECT_EQ(dac.Compare(dab, p), 3);
        EXPECT_EQ(dab.Compare(MakePath(kBaseAbsolute, {"D", "a"}), p), 3) << "the other is a prefix";
        EXPECT_EQ(MakePath(kBaseAbsolute, {"D", "a"}).Compare(dab, p), -3);
        EXPECT_EQ(MakePath(kBaseAbsolute, {"D", "x"}).Compare(dab, p), 2);
        EXPECT_EQ(MakePath(kBaseAbsolute, {"C"}).Compare(dab, p), -1);
        EXPECT_EQ(PathRef(kBaseAbsolute).Compare(dab, p), -3) << "an empty path: the difference of counts";
        EXPECT_EQ(dab.Compare(PathRef(kBaseAbsolute), p), 3);
        EXPECT_EQ(PathRef().Compare(dab, p), 1);
        EXPECT_EQ(dab.Compare(PathRef(), p), -1);
    }
    // Case decides the order only when compared exactly.
    const PathRef upper = MakePath(kBaseRelative, {"B"});
    const PathRef lower = MakePath(kBaseRelative, {"a"});
    EXPECT_EQ(upper.Compare(lower, kCompareExact), -1);
    EXPECT_EQ(upper.Compare(lower, kCompareDefault), 1);
}

TEST(PathOrder, DifferentBasesOrderedOnlyExactlyOrLexically) {
    const PathRef abs = MakePath(kBaseAbsolute, {"a"});
    const PathRef rel = MakePath(kBaseRelative, {"a"});
    const PathRef unc = MakePath(kBaseUNC, {"a"});
    EXPECT_EQ(abs.Compare(rel, kCompareDefault), -1);
    EXPECT_EQ(rel.Compare(abs, kCompareDefault), -1);
    EXPECT_EQ(rel.Compare(abs, kCompareIgnoreCase), -1);
    for (ComparePolicy p : {kCompareExact, kCompareLexical}) {
        EXPECT_EQ(abs.Compare(rel, p), -1);
        EXPECT_EQ(rel.Compare(abs, p), 1);
        EXPECT_EQ(unc.Compare(abs, p), -1);
        EXPECT_EQ(abs.Compare(unc, p), 1);
        EXPECT_EQ(rel.Compare(unc, p), 1);
    }
}

TEST(PathOrder, UnexpectedPolicyIsReportedAndIgnoresCase) {
    ReportCapture capture;
    const PathRef a = MakePath(kBaseRelative, {"Q"});
    EXPECT_TRUE(a.Equals(MakePath(kBaseRelative, {"q"}), ComparePolicy(9)));
    EXPECT_GE(ReportCapture::Count(kDbgError, "Unexpected PathRef::ComparePolicy"), 1);
}

TEST(PathPrefix, StartsWithAndParent) {
    const PathRef p = MakePath(kBaseAbsolute, {"D", "a", "b"});
    EXPECT_TRUE(p.StartsWith(p));
    EXPECT_TRUE(p.StartsWith(MakePath(kBaseAbsolute, {"D", "a"})));
    EXPECT_TRUE(p.StartsWith(PathRef(kBaseAbsolute)));
    EXPECT_TRUE(p.StartsWith(MakePath(kBaseAbsolute, {"d", "A"}), kCompareDefault));
    EXPECT_FALSE(p.StartsWith(MakePath(kBaseAbsolute, {"d", "A"}), kCompareExact));
    EXPECT_FALSE(p.StartsWith(MakePath(kBaseAbsolute, {"D", "A", "B"}), kCompareDefault))
        << "the same path under another case is not a leading part";
    EXPECT_FALSE(p.StartsWith(MakePath(kBaseRelative, {"D"})));
    EXPECT_FALSE(p.StartsWith(PathRef()));
    EXPECT_FALSE(PathRef().StartsWith(p));
    EXPECT_TRUE(PathRef().StartsWith(PathRef()));

    const PathRef parent = MakePath(kBaseAbsolute, {"D", "a"});
    EXPECT_TRUE(parent.IsParentDirectoryOf(p));
    EXPECT_TRUE(p.IsParentDirectoryOf(p));
    EXPECT_TRUE(MakePath(kBaseAbsolute, {"d", "A"}).IsParentDirectoryOf(p, kCompareIgnoreCase));
    EXPECT_FALSE(MakePath(kBaseAbsolute, {"d", "A"}).IsParentDirectoryOf(p, kCompareExact));
    EXPECT_FALSE(MakePath(kBaseAbsolute, {"D"}).IsParentDirectoryOf(p));
    EXPECT_FALSE(parent.IsParentDirectoryOf(PathRef()));
    EXPECT_TRUE(PathRef(kBaseAbsolute).IsParentDirectoryOf(MakePath(kBaseAbsolute, {"D"})));
}

TEST(PathPrefix, InCommonWith) {
    const PathRef p = MakePath(kBaseAbsolute, {"D", "a", "b"});
    EXPECT_EQ(Items(p.GetInCommonWith(MakePath(kBaseAbsolute, {"D", "a", "c", "d"}))), (Names{"D", "a"}));
    EXPECT_EQ(Items(p.GetInCommonWith(MakePath(kBaseAbsolute, {"E"}))), (Names{}));
    EXPECT_TRUE(p.GetInCommonWith(MakePath(kBaseAbsolute, {"E"})).StartsWith(kBaseAbsolute));
    EXPECT_EQ(p.GetInCommonWith(MakePath(kBaseRelative, {"D"})).Element(), nullptr);
    EXPECT_EQ(p.GetInCommonWith(PathRef()).Element(), nullptr);
    EXPECT_EQ(Items(p.GetInCommonWith(MakePath(kBaseAbsolute, {"d", "A", "b", "c"}))),
              (Names{"D", "a", "b"}));
    EXPECT_EQ(Items(p.GetInCommonWith(MakePath(kBaseAbsolute, {"d", "A", "b", "c"}), kCompareExact)),
              (Names{}));
}

TEST(PathPrefix, RelativePathFromThisToThat) {
    const PathRef from = MakePath(kBaseAbsolute, {"D", "a", "b"});
    const PathRef rel = from.GetRelativePathFromThisToThat(MakePath(kBaseAbsolute, {"D", "a", "c", "d"}));
    EXPECT_TRUE(rel.StartsWith(kBaseRelative));
    EXPECT_EQ(Items(rel), (Names{"UP", "c", "d"}));
    PathRef back = from;
    back.Append(rel);
    EXPECT_EQ(Items(back), (Names{"D", "a", "c", "d"}));
    EXPECT_EQ(Items(from.GetRelativePathFromThisToThat(from)), (Names{}));
    EXPECT_EQ(Items(from.GetRelativePathFromThisToThat(MakePath(kBaseAbsolute, {"E", "x"}))),
              (Names{"UP", "UP", "UP", "E", "x"}));
    EXPECT_PKEXCEPT(from.GetRelativePathFromThisToThat(MakePath(kBaseRelative, {"x"})), kErrArgument,
                    "PathRef GetRelativePathFromThisToThat");
    EXPECT_PKEXCEPT(PathRef().GetRelativePathFromThisToThat(from), kErrArgument,
                    "PathRef GetRelativePathFromThisToThat: this is NotAPath");
    EXPECT_PKEXCEPT(from.GetRelativePathFromThisToThat(PathRef()), kErrArgument,
                    "PathRef GetRelativePathFromThisToThat: that is NotAPath");
}

TEST(PathPrefix, Rebase) {
    PathRef p = MakePath(kBaseAbsolute, {"D", "old", "x", "y"});
    EXPECT_TRUE(p.Rebase(MakePath(kBaseAbsolute, {"D", "old"}), MakePath(kBaseUNC, {"\\\\s\\h", "new"})));
    EXPECT_TRUE(p.StartsWith(kBaseUNC));
    EXPECT_EQ(Items(p), (Names{"\\\\s\\h", "new", "x", "y"}));
    const PathRef before = p;
    EXPECT_FALSE(p.Rebase(MakePath(kBaseUNC, {"\\\\s\\h", "other"}), MakePath(kBaseAbsolute, {"E"})));
    EXPECT_FALSE(p.Rebase(MakePath(kBaseAbsolute, {"D"}), MakePath(kBaseAbsolute, {"E"})));
    EXPECT_FALSE(p.Rebase(PathRef(), MakePath(kBaseAbsolute, {"E"})));
    EXPECT_FALSE(p.Rebase(MakePath(kBaseUNC, {"\\\\s\\h"}), PathRef(kBaseAbsolute))) << "an empty new base";
    EXPECT_FALSE(
        p.Rebase(MakePath(kBaseUNC, {"\\\\s\\h", "new", "x", "y", "z"}), MakePath(kBaseAbsolute, {"E"})));
    EXPECT_EQ(p.Element(), before.Element());
    EXPECT_TRUE(
        p.Rebase(MakePath(kBaseUNC, {"\\\\S\\H"}), MakePath(kBaseAbsolute, {"E"}), kCompareIgnoreCase));
    EXPECT_EQ(Items(p), (Names{"E", "new", "x", "y"}));
    PathRef q = MakePath(kBaseAbsolute, {"D", "a"});
    EXPECT_TRUE(q.Rebase(q, MakePath(kBaseRelative, {"r"})));
    EXPECT_EQ(Items(q), (Names{"r"}));
}

class AcceptName : public SplitCriteria {
  public:
    AcceptName(const char* name, int32 action) : name_(name), action_(action) {}
    int32 Test(const PathRef& path, int32 visit, const PathItemElement*) const override {
        visits.push_back(visit);
        const int32 i = direction ? path.ItemCount() - 1 - visit : visit;
        return path.ItemAt(i) == name_ ? action_ : kSplitContinue;
    }
    mutable std::vector<int32> visits;
    SplitDirection direction = kSplitForward;

  private:
    std::string name_;
    int32 action_;
};

TEST(PathSplit, ActionsPlaceTheItem) {
    const PathRef p = MakePath(kBaseAbsolute, {"D", "a", "m", "b", "c"});
    PathRef head, tail;
    EXPECT_TRUE(p.SplitOn(AcceptName("m", kSplitDropItem), &head, &tail, kSplitForward));
    EXPECT_EQ(Items(head), (Names{"D", "a"}));
    EXPECT_EQ(Items(tail), (Names{"b", "c"}));
    EXPECT_TRUE(tail.StartsWith(kBaseRelative));
    EXPECT_TRUE(p.SplitOn(AcceptName("m", kSplitItemToHead), &head, &tail, kSplitForward));
    EXPECT_EQ(Items(head), (Names{"D", "a", "m"}));
    EXPECT_EQ(Items(tail), (Names{"b", "c"}));
    EXPECT_TRUE(p.SplitOn(AcceptName("m", kSplitItemToTail), &head, &tail, kSplitForward));
    EXPECT_EQ(Items(head), (Names{"D", "a"}));
    EXPECT_EQ(Items(tail), (Names{"m", "b", "c"}));
    EXPECT_TRUE(p.SplitOn(AcceptName("D", kSplitDropItem), &head, &tail, kSplitForward));
    EXPECT_EQ(Items(head), (Names{}));
    EXPECT_EQ(Items(tail), (Names{"a", "m", "b", "c"}));
    EXPECT_TRUE(p.SplitOn(AcceptName("m", kSplitItemToHead), nullptr, nullptr, kSplitForward));
}

TEST(PathSplit, DirectionAndNoAcceptance) {
    const PathRef p = MakePath(kBaseRelative, {"x", "m", "y", "m", "z"});
    AcceptName back("m", kSplitDropItem);
    back.direction = kSplitBackward;
    PathRef head, tail;
    EXPECT_TRUE(p.SplitOn(back, &head, &tail, kSplitBackward));
    EXPECT_EQ(back.visits, (std::vector<int32>{0, 1}));
    EXPECT_EQ(Items(head), (Names{"x", "m", "y"}));
    EXPECT_EQ(Items(tail), (Names{"z"}));
    head = p;
    tail = p;
    AcceptName none("nothing", kSplitDropItem);
    EXPECT_FALSE(p.SplitOn(none, &head, &tail, kSplitForward));
    EXPECT_EQ(none.visits.size(), 5u);
    EXPECT_EQ(head.Element(), nullptr);
    EXPECT_EQ(tail.Element(), nullptr);
    ReportCapture capture;
    EXPECT_TRUE(p.SplitOn(AcceptName("y", 17), &head, &tail, kSplitForward));
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Illegal action"), 1);
    EXPECT_EQ(Items(head), (Names{"x", "m"}));
    EXPECT_EQ(Items(tail), (Names{"m", "z"}));
}

}  // namespace
