#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "accel/slabs.h"
#include "accel_fixture.h"

namespace {

using SlabBuildTest = AccelTest;

std::vector<const Object*> listOf(const Object* head) {
    std::vector<const Object*> items;
    for (const Object* item = head; item != nullptr; item = item->next) {
        items.push_back(item);
    }
    return items;
}

// A box of half-width 1 around `center`; its centre sums are twice the centre.
Object* addUnitBox(Vector center) {
    return addBox({center.x - 1, center.y - 1, center.z - 1},
                  {center.x + 1, center.y + 1, center.z + 1});
}

TEST_F(SlabBuildTest, EmptySceneStaysEmpty) {
    buildBoundingSlabs();
    EXPECT_EQ(myObjectList, nullptr);
    EXPECT_EQ(total, 0);
}

TEST_F(SlabBuildTest, SinglePrimitiveGetsNoNode) {
    Object* only = addUnitBox({3, 4, 5});
    buildBoundingSlabs();
    EXPECT_EQ(myObjectList, only);
    EXPECT_EQ(only->next, nullptr);
    EXPECT_EQ(total, 1);
}

TEST_F(SlabBuildTest, UpToBunchingItemsMakeOneRootInListOrder) {
    for (int n = 2; n <= 4; ++n) {
        SCOPED_TRACE("primitives: " + std::to_string(n));
        freeList(&myObjectList);
        nPrims = 0;
        for (int k = 0; k < n; ++k) {
            addBox({double(k), -double(k), 0.5 * k}, {double(3 * k + 1), 2.0 + k, 7.0 - k});
        }
        std::vector<const Object*> before = listOf(myObjectList);

        buildBoundingSlabs();

        ASSERT_NE(myObjectList, nullptr);
        EXPECT_EQ(myObjectList->kind, kBoundingNode);
        EXPECT_EQ(myObjectList->next, nullptr);
        EXPECT_EQ(myObjectList->children->count, n);
        EXPECT_EQ(listOf(myObjectList->children->first), before);
        EXPECT_EQ(total, 1);
        expectWellFormedTree(myObjectList, before);
        EXPECT_EQ(myObjectList->lowerExtent[0], 0);
        EXPECT_EQ(myObjectList->upperExtent[0], 3 * (n - 1) + 1);
        EXPECT_EQ(myObjectList->lowerExtent[1], -(n - 1));
        EXPECT_EQ(myObjectList->upperExtent[2], 7);
    }
}

TEST_F(SlabBuildTest, FiveSpheresSplitAtTheMeanCentre) {
    std::map<const Object*, std::string> names;
    for (double x : {0.0, 1.0, 2.0, 3.0, 10.0}) {
        names[addUnitBox({x, 0, 0})] = std::to_string(int(x));
    }
    total = nPrims;

    EXPECT_EQ(sortAndSplit(&myObjectList, total), 1);
    EXPECT_EQ(Axis, 0);
    EXPECT_EQ(Median, 32.0 / 5); // centre sums 0, 2, 4, 6, 20
    EXPECT_EQ(total, 2);
    EXPECT_EQ(describeTree(myObjectList, names) + " " + describeTree(myObjectList->next, names),
              "10 (0 1 2 3)");

    EXPECT_EQ(sortAndSplit(&myObjectList, total), 0);
    EXPECT_EQ(total, 1);
    EXPECT_EQ(describeTree(myObjectList, names), "(10 (0 1 2 3))");
    EXPECT_EQ(myObjectList->next, nullptr);
}

// Equal centres put every item on one side of the mean; which side depends on the
// rounding of the mean, and ⌊count / 2⌋ items are then moved to the other side.
TEST_F(SlabBuildTest, IdenticalItemsStillSplit) {
    struct Case {
        double upper; // box [0, upper] on x: centre sum `upper`
        bool meanAbove;
        const char* tree; // items named a..e in list order
    };
    const Case cases[] = {
        {2.0, false, "((c b a) (d e))"},  // mean == centre: all high, two moved low
        {7.215, true, "((d e) (c b a))"}, // mean rounds above: all low, two moved high
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.upper);
        freeList(&myObjectList);
        nPrims = 0;
        for (int k = 0; k < 5; ++k) {
            addBox({0, 0, 0}, {c.upper, 0, 0});
        }
        std::map<const Object*, std::string> names;
        std::string name = "a";
        for (const Object* item : listOf(myObjectList)) {
            names[item] = name;
            ++name[0];
        }
        std::vector<const Object*> prims = listOf(myObjectList);

        buildBoundingSlabs();

        EXPECT_EQ(Axis, 0);
        if (c.meanAbove) {
            EXPECT_GT(Median, c.upper) << "the mean no longer rounds up for this value";
        } else {
            EXPECT_EQ(Median, c.upper);
        }
        EXPECT_EQ(describeTree(myObjectList, names), c.tree);
        expectWellFormedTree(myObjectList, prims);
    }
}

TEST_F(SlabBuildTest, CentreSumEqualToMedianGoesHigh) {
    std::map<const Object*, std::string> names;
    const char* label = "abcde";
    int k = 0;
    for (double x : {0.0, 0.0, 2.5, 5.0, 5.0}) { // centre sums 0, 0, 5, 10, 10: mean 5
        names[addUnitBox({x, 0, 0})] = std::string(1, label[k++]);
    }
    buildBoundingSlabs();
    EXPECT_EQ(describeTree(myObjectList, names), "((c d e) (a b))");
}

TEST_F(SlabBuildTest, FindAxisPicksTheWidestSpreadLowerIndexOnTies) {
    struct Case {
        const char* name;
        std::vector<Vector> centres;
        long count; // items of the list that form the run
        int axis;
        double median; // mean centre sum along the axis
    };
    const Case cases[] = {
        {"x widest", {{0, 0, 0}, {4, 1, 1}, {8, 2, 0}}, 3, 0, 8},
        {"y and z tie", {{1, 0, 0}, {2, 5, 5}, {1, 0, 0}}, 3, 1, 10.0 / 3},
        {"all equal spreads", {{0, 0, 0}, {3, 3, 3}}, 2, 0, 3},
        {"no spread at all", {{2, 2, 2}, {2, 2, 2}, {2, 2, 2}}, 3, 0, 4},
        {"z widest", {{1, 2, -9}, {2, 1, 9}}, 2, 2, 0},
        {"only the run counts", {{0, 0, 0}, {0, 1, 0}, {100, 0, 0}}, 2, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freeList(&myObjectList);
        // Pushed in reverse so that the list runs in the order written above.
        for (auto it = c.centres.rbegin(); it != c.centres.rend(); ++it) {
            addUnitBox(*it);
        }
        findAxis(myObjectList, c.count);
        EXPECT_EQ(Axis, c.axis);
        EXPECT_DOUBLE_EQ(Median, c.median);
    }
}

TEST_F(SlabBuildTest, SortAndSplitLeavesTheRestOfTheListInPlace) {
    struct Case {
        int before; // items ahead of the run
        int count;
        int after; // items behind the run
        int result;
    };
    const Case cases[] = {{0, 0, 3, 0}, {2, 1, 2, 0}, {1, 3, 2, 0}, {3, 4, 0, 0},
                          {2, 5, 3, 1}, {0, 9, 2, 1}, {4, 13, 1, 1}};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-20, 20);
    for (const Case& c : cases) {
        SCOPED_TRACE("before " + std::to_string(c.before) + " run " + std::to_string(c.count) +
                     " after " + std::to_string(c.after));
        freeList(&myObjectList);
        for (int k = 0; k < c.before + c.count + c.after; ++k) {
            addUnitBox({coordinate(random), coordinate(random), coordinate(random)});
        }
        std::vector<const Object*> items = listOf(myObjectList);
        Object** link = &myObjectList;
        for (int k = 0; k < c.before; ++k) {
            link = &(*link)->next;
        }

        EXPECT_EQ(sortAndSplit(link, c.count), c.result);

        std::vector<const Object*> now = listOf(myObjectList);
        std::vector<const Object*> head(items.begin(), items.begin() + c.before);
        std::vector<const Object*> tail(items.end() - c.after, items.end());
        ASSERT_GE(now.size(), head.size() + tail.size());
        EXPECT_EQ(std::vector<const Object*>(now.begin(), now.begin() + c.before), head);
        EXPECT_EQ(std::vector<const Object*>(now.end() - c.after, now.end()), tail);
        // Whatever stands between holds exactly the run's items.
        std::vector<const Object*> middle;
        for (auto it = now.begin() + c.before; it != now.end() - c.after; ++it) {
            for (const Object* leaf : leavesOf(*it)) {
                middle.push_back(leaf);
            }
        }
        std::multiset<const Object*> got(middle.begin(), middle.end());
        std::multiset<const Object*> want(items.begin() + c.before,
                                          items.begin() + c.before + c.count);
        EXPECT_EQ(got, want);
    }
}

TEST_F(SlabBuildTest, RandomScenesGiveWellFormedTrees) {
    const unsigned seed = 20240511;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> coordinate(-50, 50);
    std::uniform_real_distribution<double> size(0, 5);
    for (int n : {0, 1, 2, 5, 6, 7, 16, 17, 33, 64, 100, 257, 1000}) {
        for (int layout = 0; layout < 3; ++layout) {
            SCOPED_TRACE("primitives " + std::to_string(n) + " layout " + std::to_string(layout));
            freeList(&myObjectList);
            nPrims = 0;
            for (int k = 0; k < n; ++k) {
                Vector c = {coordinate(random), coordinate(random), coordinate(random)};
                if (layout == 1) {
                    c = {1, 2, 3}; // all identical
                } else if (layout == 2) {
                    c = {double(k % 7), 0, 0}; // many equal centres on a line
                }
                double r = layout == 0 ? size(random) : 1;
                addBox({c.x - r, c.y - r, c.z - r}, {c.x + r, c.y + r, c.z + r});
            }
            std::vector<const Object*> prims = listOf(myObjectList);
            buildBoundingSlabs();
            expectWellFormedTree(myObjectList, prims);
            EXPECT_EQ(total, n == 0 ? 0 : 1);
        }
    }
}

using SlabBuildDeathTest = AccelTest;

TEST_F(SlabBuildDeathTest, RunShorterThanItsCountStops) {
    struct Case {
        const char* name;
        int items;
        long claimed;
        const char* message;
    };
    const Case cases[] = {
        {"split pass", 3, 5, "NULL top in FindAxis, count = 1\n"},
        {"split pass, empty list", 0, 6, "NULL top in FindAxis, count = 5\n"},
        {"grouping pass", 2, 3, "NULL top in FindAxis, count = 0\n"},
        {"grouping pass, empty list", 0, 2, "NULL top in FindAxis, count = 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freeList(&myObjectList);
        for (int k = 0; k < c.items; ++k) {
            addUnitBox({double(k), 0, 0});
        }
        nPrims = c.claimed;
        EXPECT_EXIT(buildBoundingSlabs(), testing::ExitedWithCode(1), testing::Eq(c.message));
    }
    freeList(&myObjectList);
    EXPECT_EXIT(findAxis(nullptr, 1), testing::ExitedWithCode(1),
                testing::Eq("NULL top in FindAxis, count = 0\n"));
}

} // namespace
