#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "accel/traversal.h"
#include "accel_fixture.h"

namespace {

constexpr const char* kOutOfSpace =
    "\n\n QUELLIX is out of space...\n Please use the -pqs or --pqsize switch to increase the "
    "priority queue size\n";
constexpr const char* kOutOfMemory = "\n\n QUELLIX is out of memory...\n";
constexpr const char* kEmptyQueue =
    " Priority queue is empty, dying...\n Please use the -pqs or --pqsize switch to increase "
    "the priority queue size\n";

using QueueTest = AccelTest;
using IntersectTest = AccelTest;

const Ray kAlongX = {{0, 0, 0}, {1, 0, 0}};

// A sentinel the traversal must leave alone when it takes no hit.
const Hit kUntouched = {-123.0, 7, nullptr};

bool sameHit(const Hit& a, const Hit& b) {
    return a.t == b.t && a.enter == b.enter && a.object == b.object;
}

TEST_F(QueueTest, BoxTestQueuesWhatTheRayCrossesAtItsEntryDistance) {
    const double s = 1 / std::sqrt(2.0);
    struct Case {
        const char* name;
        Vector lower, upper, origin, direction;
        double limit;
        bool queued;
        double key;
    };
    const Case cases[] = {
        {"box ahead", {2, -1, -1}, {3, 1, 1}, {0, 0, 0}, {1, 0, 0}, 1e10, true, 2},
        {"ray going -x", {-3, -1, -1}, {-2, 1, 1}, {0, 0, 0}, {-1, 0, 0}, 1e10, true, 2},
        {"box behind", {-3, -1, -1}, {-2, 1, 1}, {0, 0, 0}, {1, 0, 0}, 1e10, false, 0},
        {"ends 0.0005 ahead", {-1, -1, -1}, {0.0005, 1, 1}, {0, 0, 0}, {1, 0, 0}, 1e10, false, 0},
        {"ends 0.001 ahead", {-1, -1, -1}, {0.001, 1, 1}, {0, 0, 0}, {1, 0, 0}, 1e10, true, -1},
        {"starts inside", {-1, -2, -3}, {1, 2, 3}, {0, 0, 0}, {1, 0, 0}, 1e10, true, -1},
        {"beside on a zero axis", {2, 5, -1}, {3, 6, 1}, {0, 0, 0}, {1, 0, 0}, 1e10, true, 2},
        {"beside on a -0 axis", {2, 5, -1}, {3, 6, 1}, {0, 0, 0}, {1, -0.0, 0}, 1e10, true, 2},
        {"beyond the limit", {2, -1, -1}, {3, 1, 1}, {0, 0, 0}, {1, 0, 0}, 1.5, false, 0},
        {"entered at the limit", {2, -1, -1}, {3, 1, 1}, {0, 0, 0}, {1, 0, 0}, 2, true, 2},
        {"diagonal hit", {2, 2, -1}, {3, 3, 1}, {0, 0, 0}, {s, s, 0}, 1e10, true, 2 / s},
        {"diagonal miss", {2, -1, -1}, {3, -0.5, 1}, {0, 0, 0}, {s, s, 0}, 1e10, false, 0},
        {"late entry on y", {1, 4, -1}, {9, 5, 1}, {0, 0, 0}, {s, s, 0}, 1e10, true, 4 / s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Object* box = newFixed(c.lower, c.upper, 1);
        const double origin[3] = {c.origin.x, c.origin.y, c.origin.z};
        const double direction[3] = {c.direction.x, c.direction.y, c.direction.z};
        QueueEntry queue[4] = {};
        int count = 0;
        checkAndEnqueue(box, c.limit, origin, direction, queue, count);
        ASSERT_EQ(count, c.queued ? 1 : 0);
        if (c.queued) {
            EXPECT_EQ(queue[1].object, box);
            EXPECT_DOUBLE_EQ(queue[1].key, c.key);
        }
        releaseObject(box);
    }
}

// Inserts (key, name) pairs and returns the names in the order the deletions give them.
std::string drain(std::initializer_list<std::pair<double, char>> entries) {
    std::vector<Object*> records;
    QueueEntry queue[16];
    int count = 0;
    for (auto [key, name] : entries) {
        records.push_back(newFixed({0, 0, 0}, {0, 0, 0}, name));
        priorityQueueInsert(key, records.back(), queue, count);
    }
    std::string order;
    while (count > 0) {
        double key;
        const Object* object;
        priorityQueueDelete(key, object, queue, count);
        order += char(object->shape.sphere.radius);
    }
    for (Object* record : records) {
        releaseObject(record);
    }
    return order;
}

TEST_F(QueueTest, HeapTieRules) {
    // Sift-up never swaps equal keys: the first inserted of two equals comes out first.
    EXPECT_EQ(drain({{5, 'a'}, {5, 'b'}}), "ab");
    // Sift-down takes the right child on equal keys: after 'x' leaves, 'z' moves to the
    // top and sinks past the right child 'r', which therefore comes out before 'l'.
    EXPECT_EQ(drain({{0, 'x'}, {5, 'l'}, {5, 'r'}, {9, 'z'}}), "xrlz");
    // Sift-down stops at an equal key: 'b' moves to the top and stays above 'a'.
    EXPECT_EQ(drain({{0, 'x'}, {5, 'a'}, {5, 'b'}}), "xba");
    // The single-child case: position 2p == count.
    EXPECT_EQ(drain({{1, 'a'}, {3, 'b'}, {2, 'c'}, {4, 'd'}, {0, 'e'}}), "eacbd");
}

TEST_F(QueueTest, HeapGivesKeysInOrderUnderMixedOperations) {
    const unsigned seed = 4242;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> smallKey(-5, 5); // many equal keys
    std::uniform_int_distribution<int> coin(0, 2);
    Object* dummy = newFixed({0, 0, 0}, {0, 0, 0}, 1);
    std::vector<QueueEntry> queue(iPQSize);
    std::multiset<double> reference;
    int count = 0;
    for (int step = 0; step < 20000; ++step) {
        bool insert = count == 0 || (coin(random) != 0 && count < iPQSize - 1);
        if (insert) {
            double key = smallKey(random) * 0.5;
            priorityQueueInsert(key, dummy, queue.data(), count);
            reference.insert(key);
        } else {
            double key;
            const Object* object;
            priorityQueueDelete(key, object, queue.data(), count);
            ASSERT_EQ(key, *reference.begin()) << "step " << step;
            reference.erase(reference.begin());
        }
        ASSERT_EQ(count, int(reference.size()));
        for (int p = 2; p <= count; ++p) {
            ASSERT_LE(queue[p / 2].key, queue[p].key) << "heap order broken at " << p;
        }
    }
    releaseObject(dummy);
}

using QueueDeathTest = AccelTest;

TEST_F(QueueDeathTest, InsertStopsWhenTheCountReachesTheQueueSize) {
    ASSERT_EQ(iPQSize, 128);
    Object* dummy = newFixed({0, 0, 0}, {0, 0, 0}, 1);
    std::vector<QueueEntry> queue(iPQSize);
    int count = 0;
    for (int k = 0; k < 127; ++k) {
        priorityQueueInsert(127 - k, dummy, queue.data(), count);
    }
    EXPECT_EQ(count, 127);
    EXPECT_EQ(queue[1].key, 1);
    // The message goes to standard error alone: standard output is sent to /dev/null.
    EXPECT_EXIT(
        {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            priorityQueueInsert(0, dummy, queue.data(), count);
        },
        testing::ExitedWithCode(1), testing::Eq(kOutOfSpace));
    releaseObject(dummy);
}

TEST_F(QueueDeathTest, DeleteFromAnEmptyQueueStops) {
    QueueEntry queue[4];
    int count = 0;
    double key;
    const Object* object;
    // This message goes to standard output: the child sends standard output where its
    // standard error was captured and standard error to /dev/null.
    EXPECT_EXIT(
        {
            std::fflush(nullptr);
            int captured = dup(STDERR_FILENO);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            dup2(captured, STDOUT_FILENO);
            priorityQueueDelete(key, object, queue, count);
        },
        testing::ExitedWithCode(1), testing::Eq(kEmptyQueue));
}

TEST_F(IntersectTest, EmptySceneHitsNothing) {
    Hit hit = kUntouched;
    EXPECT_EQ(intersect(kAlongX, kInfinity, hit, nullptr), 0);
    EXPECT_TRUE(sameHit(hit, kUntouched));
}

TEST_F(IntersectTest, SinglePrimitiveAppliesNeitherLimitNorExclude) {
    struct Case {
        const char* name;
        double t; // the primitive's answer; negative: no hit
        double maxDist;
        bool excluded;
        int result;
    };
    const Case cases[] = {
        {"plain hit", 5, kInfinity, false, 1},  {"beyond maxDist", 5, 1, false, 1},
        {"exactly at maxDist", 5, 5, false, 1}, {"excluded", 5, kInfinity, true, 1},
        {"miss", -1, kInfinity, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freeList(&myObjectList);
        Object* only = addFixed({-10, -1, -1}, {-9, 1, 1}, c.t); // a box behind the origin
        Hit hit = kUntouched;
        EXPECT_EQ(intersect(kAlongX, c.maxDist, hit, c.excluded ? only : nullptr), c.result);
        if (c.result == 1) {
            EXPECT_EQ(hit.t, c.t);
            EXPECT_EQ(hit.object, only);
        } else {
            EXPECT_TRUE(sameHit(hit, kUntouched));
        }
    }
}

// Hand-built trees: the traversal reads only kinds, children and extents.
struct Fixed {
    double from, to; // box along x; y and z span [-1, 1]
    double t;        // reported distance; negative: no hit
};

Object* fixedOnX(const Fixed& f) {
    return newFixed({f.from, -1, -1}, {f.to, 1, 1}, f.t);
}

TEST_F(IntersectTest, NearestHitWithTiesAndLimits) {
    struct Case {
        const char* name;
        std::vector<Fixed> children; // children of the root, in list order
        double maxDist;
        int excluded; // index of the excluded child, -1 none
        int expected; // index of the reported child, -1 no hit
    };
    const Case cases[] = {
        {"nearest of three", {{5, 6, 5.5}, {1, 2, 1.5}, {3, 4, 3.5}}, kInfinity, -1, 1},
        {"equal distance: first queued stays", {{2, 3, 2.5}, {2, 3, 2.5}}, kInfinity, -1, 0},
        {"equal distance, later box", {{1, 3, 2.5}, {2, 3, 2.5}}, kInfinity, -1, 0},
        {"equal distance, earlier box of the second", {{2, 3, 2.5}, {1, 3, 2.5}}, kInfinity, -1, 1},
        {"strictly nearer replaces", {{1, 3, 2.5}, {2, 3, 2.4}}, kInfinity, -1, 1},
        {"hit exactly at maxDist", {{1, 3, 2.5}, {8, 9, 8.5}}, 2.5, -1, -1},
        {"hit just before maxDist", {{1, 3, 2.5}, {8, 9, 8.5}}, 2.5000001, -1, 0},
        // The next two report distances their boxes cannot give: taking them would show
        // that a box the ray cannot reach was queued.
        {"box beyond maxDist", {{1, 3, -1}, {8, 9, 6}}, 7, -1, -1},
        {"excluded nearer", {{1, 2, 1.5}, {3, 4, 3.5}}, kInfinity, 0, 1},
        {"excluded only hit", {{1, 2, 1.5}, {3, 4, -1}}, kInfinity, 0, -1},
        {"box behind origin", {{-5, -4, 1}, {3, 4, 3.5}}, kInfinity, -1, 1},
        {"starting inside a box", {{-1, 9, 8}, {3, 4, 3.5}}, kInfinity, -1, 1},
        {"no hit at all", {{1, 2, -1}, {3, 4, -1}}, kInfinity, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freeList(&myObjectList);
        std::vector<Object*> children;
        for (const Fixed& f : c.children) {
            children.push_back(fixedOnX(f));
        }
        Object* root = allocateObject(kBoundingNode, {});
        for (size_t k = children.size(); k-- > 0;) {
            children[k]->next = k + 1 < children.size() ? children[k + 1] : nullptr;
        }
        root->children = new ChildList{int(children.size()), children[0]};
        for (int i = 0; i < 3; ++i) {
            root->lowerExtent[i] = -100;
            root->upperExtent[i] = 100;
        }
        myObjectList = root;

        Hit hit = kUntouched;
        const Object* exclude = c.excluded >= 0 ? children[c.excluded] : nullptr;
        int result = intersect(kAlongX, c.maxDist, hit, exclude);
        if (c.expected < 0) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(sameHit(hit, kUntouched));
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(hit.object, children[c.expected]);
            EXPECT_EQ(hit.t, c.children[c.expected].t);
            EXPECT_EQ(hit.enter, 1);
        }
        if (exclude != nullptr) {
            EXPECT_EQ(std::count(callLog().begin(), callLog().end(), exclude), 0);
        }
        callLog().clear();
    }
}

TEST_F(IntersectTest, WalkIsNearestFirstAndEndsBeyondTheNearestHit) {
    // Boxes along +x; the one holding the origin has a negative key and goes first.
    Object* inside = fixedOnX({-1, 9, 8});
    Object* atOne = fixedOnX({1, 2, 4});
    Object* atFour = fixedOnX({4, 5, 4.5}); // enters exactly at the nearest hit: still tested
    Object* beyond = fixedOnX({4.25, 5, 4.3});
    Object* far = fixedOnX({6, 7, 1});
    Object* near = newNode({atOne, atFour});
    Object* rest = newNode({far, beyond});
    myObjectList = newNode({rest, inside, near});

    Hit hit = kUntouched;
    ASSERT_EQ(intersect(kAlongX, kInfinity, hit, nullptr), 1);
    EXPECT_EQ(hit.object, atOne);
    EXPECT_EQ(hit.t, 4);
    std::vector<const Object*> expected = {inside, atOne, atFour};
    EXPECT_EQ(callLog(), expected);
}

TEST_F(IntersectTest, ParallelRayStillFindsBoxesBesideItOnAZeroAxis) {
    // The ray runs along x at y = 0, z = 0; a primitive whose box lies at y in [5, 6] is
    // queued all the same (zero components set no bound), and its own test decides.
    Object* beside = newFixed({2, 5, -1}, {3, 6, 1}, -1);
    Object* ahead = fixedOnX({7, 8, 7.5});
    myObjectList = newNode({beside, ahead});
    Hit hit = kUntouched;
    ASSERT_EQ(intersect(kAlongX, kInfinity, hit, nullptr), 1);
    EXPECT_EQ(hit.object, ahead);
    std::vector<const Object*> expected = {beside, ahead};
    EXPECT_EQ(callLog(), expected);
}

// A root with `n` children whose boxes all hold the origin: opening it queues all of them.
void makeWideRoot(int n) {
    freeList(&myObjectList);
    Object* first = nullptr;
    for (int k = 0; k < n; ++k) {
        Object* child = newFixed({-1, -1, -1}, {1.0 + k, 1, 1}, -1);
        child->next = first;
        first = child;
    }
    Object* root = allocateObject(kBoundingNode, {});
    root->children = new ChildList{n, first};
    for (int i = 0; i < 3; ++i) {
        root->lowerExtent[i] = -1;
        root->upperExtent[i] = n + 1.0;
    }
    myObjectList = root;
}

using IntersectDeathTest = AccelTest;

TEST_F(IntersectDeathTest, QueueHoldsOneEntryLessThanItsSize) {
    struct Case {
        int pqSize;
        int children;
        bool stops;
    };
    // Sizes change between calls on purpose: the queue a thread keeps must follow them.
    const Case cases[] = {{5, 4, false},     {128, 127, false}, {64, 63, false},
                          {300, 299, false}, {128, 128, true},  {4, 4, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.pqSize) + " children " +
                     std::to_string(c.children));
        makeWideRoot(c.children);
        iPQSize = c.pqSize;
        Hit hit = kUntouched;
        if (c.stops) {
            EXPECT_EXIT(intersect(kAlongX, kInfinity, hit, nullptr), testing::ExitedWithCode(1),
                        testing::Eq(kOutOfSpace));
        } else {
            EXPECT_EQ(intersect(kAlongX, kInfinity, hit, nullptr), 0);
            EXPECT_EQ(int(callLog().size()), c.children);
            callLog().clear();
        }
    }
}

// 2^31 positions of 16 bytes cannot fit under a 4 GiB address-space limit.
[[maybe_unused]] void traceWithHugeQueueUnderLimit() {
    const rlim_t bytes = rlim_t(4) << 30;
    const rlimit limit = {bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    iPQSize = 2147483647;
    Hit hit = kUntouched;
    intersect(kAlongX, kInfinity, hit, nullptr);
}

TEST_F(IntersectDeathTest, QueueThatCannotBeAllocatedStops) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve more address space than the limit allows";
#else
    makeWideRoot(2);
    EXPECT_EXIT(traceWithHugeQueueUnderLimit(), testing::ExitedWithCode(1),
                testing::Eq(kOutOfMemory));
#endif
}

// Children go into the queue against maxDist even when they start beyond the nearest hit
// found so far, so they count against the queue size.
TEST_F(IntersectDeathTest, ChildrenBeyondTheNearestHitStillFillTheQueue) {
    for (int farChildren : {126, 127}) {
        SCOPED_TRACE("far children " + std::to_string(farChildren));
        freeList(&myObjectList);
        Object* nearHit = fixedOnX({0.5, 1.5, 1});
        Object* opener = fixedOnX({0.8, 10, -1}); // makes the far node start before the hit
        Object* first = opener;
        for (int k = 0; k < farChildren; ++k) {
            Object* child = fixedOnX({5, 10, -1});
            child->next = first;
            first = child;
        }
        Object* farNode = allocateObject(kBoundingNode, {});
        farNode->children = new ChildList{farChildren + 1, first};
        const double lower[3] = {0.8, -1, -1};
        const double upper[3] = {10, 1, 1};
        for (int i = 0; i < 3; ++i) {
            farNode->lowerExtent[i] = lower[i];
            farNode->upperExtent[i] = upper[i];
        }
        myObjectList = newNode({nearHit, farNode});
        Hit hit = kUntouched;
        if (farChildren + 1 >= iPQSize) {
            EXPECT_EXIT(intersect(kAlongX, kInfinity, hit, nullptr), testing::ExitedWithCode(1),
                        testing::Eq(kOutOfSpace));
        } else {
            ASSERT_EQ(intersect(kAlongX, kInfinity, hit, nullptr), 1);
            EXPECT_EQ(hit.object, nearHit);
            std::vector<const Object*> expected = {nearHit, opener};
            EXPECT_EQ(callLog(), expected);
        }
    }
}

} // namespace
