#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "accel/flat_tree.h"
#include "accel/slabs.h"
#include "accel/traversal.h"
#include "accel_fixture.h"

// A finished hierarchy is walked over its flat copy, with either packet test; hand-built
// trees are walked over the records. All must give the same answer, hit object and
// distance included, since pictures depend on which of two equal hits wins.

namespace {

struct Query {
    Ray ray;
    double maxDist;
    const Object* exclude;
};

struct Answer {
    int result;
    Hit hit;
};

class FlatWalkTest : public AccelTest {
  protected:
    void TearDown() override {
        usePacketTest(PacketTest::Widest);
        AccelTest::TearDown();
    }

    // The answer of every walk, checked against the walk over the records.
    void expectSameAnswers(const std::vector<Query>& queries) {
        ASSERT_NE(myObjectList, nullptr);
        ASSERT_EQ(myObjectList->kind, kBoundingNode);
        ChildList* list = myObjectList->children;
        const FlatTree* flat = list->flat;
        ASSERT_NE(flat, nullptr) << "no flat copy to compare";
        int hits = 0;
        for (std::size_t q = 0; q < queries.size(); ++q) {
            SCOPED_TRACE("query " + std::to_string(q));
            const Query& query = queries[q];
            list->flat = nullptr;
            const Answer want = ask(query);
            list->flat = flat;
            for (PacketTest test : {PacketTest::Widest, PacketTest::Baseline}) {
                SCOPED_TRACE(test == PacketTest::Widest ? "widest" : "baseline");
                usePacketTest(test);
                const Answer got = ask(query);
                ASSERT_EQ(got.result, want.result);
                EXPECT_EQ(got.hit.object, want.hit.object);
                EXPECT_EQ(std::signbit(got.hit.t), std::signbit(want.hit.t));
                EXPECT_EQ(got.hit.t, want.hit.t);
                EXPECT_EQ(got.hit.enter, want.hit.enter);
            }
            hits += want.result;
        }
        // Both outcomes must occur, or the comparison proves little.
        EXPECT_GT(hits, 0);
        EXPECT_LT(hits, static_cast<int>(queries.size()));
    }

  private:
    static Answer ask(const Query& query) {
        Answer answer = {0, {-1, -1, nullptr}};
        answer.result = intersect(query.ray, query.maxDist, answer.hit, query.exclude);
        return answer;
    }
};

Vector unit(Vector v) {
    VecNorm(v);
    return v;
}

// Unit spheres and squares of two triangles on an integer lattice, many of them twice:
// boxes share their planes, so queue keys tie all the time, and duplicates tie in their
// hit distances. Rays start on lattice points and box planes and run along the axes and
// the diagonals, some with components exactly 0.
TEST_F(FlatWalkTest, LatticeOfTiesAnswersLikeTheRecords) {
    std::vector<Object*> prims;
    for (int x = -3; x <= 3; ++x) {
        for (int y = -3; y <= 3; ++y) {
            if ((x + y) % 2 == 0) {
                prims.push_back(makeSphere(2 * x, 2 * y, 0, 1));
                if (x % 3 == 0) {
                    prims.push_back(makeSphere(2 * x, 2 * y, 0, 1));
                }
            } else {
                const double z = (x * y) % 2 == 0 ? 1 : -1;
                auto* a = new Vector[3]{{2.0 * x - 1, 2.0 * y - 1, z},
                                        {2.0 * x + 1, 2.0 * y - 1, z},
                                        {2.0 * x + 1, 2.0 * y + 1, z}};
                auto* b = new Vector[3]{{2.0 * x - 1, 2.0 * y - 1, z},
                                        {2.0 * x + 1, 2.0 * y + 1, z},
                                        {2.0 * x - 1, 2.0 * y + 1, z}};
                prims.push_back(makeTriangle(a));
                prims.push_back(makeTriangle(b));
            }
        }
    }
    buildBoundingSlabs();

    const Vector directions[] = {{0, 0, -1},           {1, 0, 0},           {0, -1, 0},
                                 unit({1, 1, 0}),      unit({-1, 1, -1}),   unit({1, 0, -1}),
                                 unit({0.3, 0.2, -1}), unit({-1, -1, -0.5})};
    std::vector<Query> queries;
    int k = 0;
    for (int x = -7; x <= 7; ++x) {
        for (int y = -7; y <= 7; ++y) {
            for (double z : {5.0, 1.0, 0.0}) {
                for (const Vector& d : directions) {
                    const double maxDist = k % 5 == 0 ? 3 : kInfinity;
                    const Object* exclude = k % 7 == 0 ? prims[k % prims.size()] : nullptr;
                    queries.push_back({{{double(x), double(y), z}, d}, maxDist, exclude});
                    ++k;
                }
            }
        }
    }
    expectSameAnswers(queries);
}

// How a walk ends in a child process: 0 when it returns, else the status it stopped with.
template <class Walk> int statusOf(Walk walk) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stderr);
        walk();
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The flat copy queues exactly what the records queue, so a small queue overflows on the
// same rays, also on one without a direction, which queues every box.
TEST_F(FlatWalkTest, QueueOverflowsOnTheSameRays) {
    for (int k = 0; k < 60; ++k) {
        makeSphere(k % 5, (k / 5) % 4, k / 20, 0.7);
    }
    buildBoundingSlabs();
    ChildList* list = myObjectList->children;
    const FlatTree* flat = list->flat;
    ASSERT_NE(flat, nullptr);
    const Query queries[] = {
        {{{2, 1.5, 1}, {0, 0, 0}}, 0.0005, nullptr},
        {{{2, 1.5, 1}, {0, 0, 0}}, kInfinity, nullptr},
        {{{2, 1.5, -5}, {0, 0, 1}}, kInfinity, nullptr},
        {{{2, 1.5, 1}, unit({1, 1, 1})}, kInfinity, nullptr},
        {{{-3, -3, -3}, unit({1, 0.8, 0.6})}, kInfinity, nullptr},
    };
    int stops = 0;
    int ends = 0;
    for (int size : {4, 6, 9, 14, 40}) {
        iPQSize = size;
        for (std::size_t q = 0; q < std::size(queries); ++q) {
            SCOPED_TRACE("size " + std::to_string(size) + " query " + std::to_string(q));
            auto walk = [&] {
                Hit hit;
                intersect(queries[q].ray, queries[q].maxDist, hit, queries[q].exclude);
            };
            list->flat = nullptr;
            const int want = statusOf(walk);
            list->flat = flat;
            ASSERT_TRUE(want == 0 || want == 1) << want;
            (want == 0 ? ends : stops) += 1;
            for (PacketTest test : {PacketTest::Widest, PacketTest::Baseline}) {
                usePacketTest(test);
                EXPECT_EQ(statusOf(walk), want)
                    << (test == PacketTest::Widest ? "widest" : "baseline");
            }
        }
    }
    EXPECT_GT(stops, 0);
    EXPECT_GT(ends, 0);
}

TEST_F(FlatWalkTest, RandomScenesAnswerLikeTheRecords) {
    const unsigned seed = 97531;
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Rays from inside crowded scenes queue more than the default allows.
    iPQSize = 1 << 16;
    std::mt19937 random(seed);
    auto uniform = [&](double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random);
    };
    for (int scene = 0; scene < 6; ++scene) {
        SCOPED_TRACE("scene " + std::to_string(scene));
        freeList(&myObjectList);
        nPrims = 0;
        std::vector<Object*> prims;
        for (int n = 0; n < 300 + 200 * scene; ++n) {
            const Vector c = {uniform(-10, 10), uniform(-10, 10), uniform(-10, 10)};
            if (n % 3 == 0) {
                auto* v =
                    new Vector[3]{c, c + Vector{uniform(-2, 2), uniform(-2, 2), uniform(-2, 2)},
                                  c + Vector{uniform(-2, 2), uniform(-2, 2), uniform(-2, 2)}};
                prims.push_back(makeTriangle(v));
            } else {
                prims.push_back(makeSphere(c.x, c.y, c.z, uniform(0.05, 1.5)));
            }
        }
        if (scene % 2 == 1) {
            prims.push_back(makePlane(0, 0, 1, 11));
        }
        buildBoundingSlabs();

        std::vector<Query> queries;
        for (int r = 0; r < 600; ++r) {
            Vector origin = {uniform(-12, 12), uniform(-12, 12), uniform(-12, 12)};
            Vector d = {uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
            if (r % 6 == 0) {
                d.y = 0;
            }
            const double maxDist = r % 4 == 0 ? uniform(0.5, 20) : kInfinity;
            // Shadow rays start on a primitive and leave it out.
            const Object* exclude = nullptr;
            if (r % 3 == 0) {
                exclude = prims[r % prims.size()];
                if (exclude->kind == kSphere) {
                    const SphereData& s = exclude->shape.sphere;
                    origin = s.center + s.radius * unit(d);
                }
            }
            queries.push_back({{origin, unit(d)}, maxDist, exclude});
        }
        // Rays no primitive can answer sensibly must still get the same answer.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        queries.push_back({{{nan, 0, 0}, {0, 0, 1}}, kInfinity, nullptr});
        queries.push_back({{{0, 0, -20}, {0, nan, 1}}, kInfinity, nullptr});
        queries.push_back({{{0, 0, -20}, {0, 0, 1}}, nan, nullptr});
        queries.push_back({{{0, 0, -20}, {0, 0, 0}}, kInfinity, nullptr});
        expectSameAnswers(queries);
    }
}

} // namespace
