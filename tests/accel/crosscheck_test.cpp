#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "accel/slabs.h"
#include "accel/traversal.h"
#include "accel_fixture.h"

// The hierarchy and its traversal must answer exactly like testing every primitive.

namespace {

using CrossCheckTest = AccelTest;

struct Answer {
    int result;
    Hit hit;
};

class SceneMaker {
  public:
    explicit SceneMaker(unsigned seed) : random_(seed) {}

    double uniform(double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random_);
    }
    int pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
    Vector point(double half) {
        return {uniform(-half, half), uniform(-half, half), uniform(-half, half)};
    }
    Vector unitVector() {
        std::normal_distribution<double> gauss;
        Vector v = {gauss(random_), gauss(random_), gauss(random_)};
        VecNorm(v);
        return v;
    }
    // Directions with one or two components exactly 0 now and then.
    Vector rayDirection() {
        Vector v = unitVector();
        switch (pick(0, 5)) {
        case 0:
            v.x = 0;
            break;
        case 1:
            v = {0, 0, pick(0, 1) ? 1.0 : -1.0};
            break;
        default:
            return v;
        }
        VecNorm(v);
        return v;
    }

    // One primitive of a random kind, made with its real constructor.
    void addPrimitive(bool allowPlane) {
        const Vector c = point(10);
        switch (pick(allowPlane ? 0 : 1, 7)) {
        case 0: {
            Vector n = unitVector();
            makePlane(n.x, n.y, n.z, uniform(-12, 12));
            break;
        }
        case 1:
        case 2:
            makeSphere(c.x, c.y, c.z, uniform(0.1, 2));
            break;
        case 3: {
            auto* v = new Vector[3];
            v[0] = c;
            v[1] = c + point(2);
            v[2] = c + point(2);
            makeTriangle(v);
            break;
        }
        case 4: {
            // A convex planar polygon around c.
            Vector n = unitVector();
            Vector u = cross(n, unitVector());
            VecNorm(u);
            Vector w = cross(n, u);
            int count = pick(4, 6);
            auto* v = new Vector[count];
            for (int k = 0; k < count; ++k) {
                double angle = 2 * M_PI * (k + uniform(0.1, 0.9)) / count;
                double r = uniform(0.5, 2);
                v[k] = c + (r * std::cos(angle)) * u + (r * std::sin(angle)) * w;
            }
            makePolygon(v, count);
            break;
        }
        case 5: {
            double inner = pick(0, 1) ? 0 : uniform(0.1, 1);
            makeRing(c, unitVector(), inner, inner + uniform(0.2, 2));
            break;
        }
        case 6: {
            double r = uniform(0.1, 1.5);
            makeCone(c, r, c + uniform(0.5, 3) * unitVector(), pick(0, 1) ? r : uniform(0.1, 1.5));
            break;
        }
        case 7: {
            Vector data[6];
            data[0] = c;
            data[2] = c + point(2);
            data[4] = c + point(2);
            Vector n = cross(data[2] - data[0], data[4] - data[0]);
            VecNorm(n);
            for (int k = 1; k < 6; k += 2) {
                data[k] = n + 0.3 * unitVector();
                VecNorm(data[k]);
            }
            makePatch(data);
            break;
        }
        }
    }

    Ray ray() {
        // Half from outside the scene, half from within it.
        Vector origin = pick(0, 1) ? point(10) : 25.0 * unitVector();
        return {origin, rayDirection()};
    }

  private:
    std::mt19937 random_;
};

// Nearest accepted hit over every primitive; of equal distances the first one met here.
Answer bruteForce(const std::vector<const Object*>& prims, const Ray& ray, double maxDist,
                  const Object* exclude) {
    Answer best{0, {}};
    double nearest = maxDist;
    for (const Object* object : prims) {
        Hit local;
        if (object != exclude && object->intersectOp(object, ray, local) != 0 &&
            local.t < nearest) {
            nearest = local.t;
            best = {1, local};
        }
    }
    return best;
}

std::vector<const Object*> currentList() {
    std::vector<const Object*> prims;
    for (const Object* o = myObjectList; o != nullptr; o = o->next) {
        prims.push_back(o);
    }
    return prims;
}

TEST_F(CrossCheckTest, TreeAgreesWithTestingEveryPrimitive) {
    const unsigned seed = 1357911;
    SCOPED_TRACE("seed " + std::to_string(seed));
    SceneMaker maker(seed);
    long compared = 0;
    long hits = 0;
    for (int scene = 0; scene < 40; ++scene) {
        freeList(&myObjectList);
        nPrims = 0;
        const int n = scene < 10 ? maker.pick(2, 12) : maker.pick(13, 400);
        const bool planes = scene % 4 == 3;
        for (int k = 0; k < n; ++k) {
            maker.addPrimitive(planes && k % 50 == 0);
        }
        std::vector<const Object*> prims = currentList();
        ASSERT_EQ(long(prims.size()), nPrims);
        buildBoundingSlabs();

        for (int r = 0; r < 400; ++r) {
            Ray ray = maker.ray();
            double maxDist = maker.pick(0, 2) == 0 ? maker.uniform(0.5, 30) : kInfinity;
            const Object* exclude = maker.pick(0, 2) == 0 ? prims[maker.pick(0, n - 1)] : nullptr;
            SCOPED_TRACE("scene " + std::to_string(scene) + " ray " + std::to_string(r));

            Answer want = bruteForce(prims, ray, maxDist, exclude);
            Hit got = {-1, -1, nullptr};
            int result = intersect(ray, maxDist, got, exclude);
            ++compared;
            ASSERT_EQ(result, want.result);
            if (result == 0) {
                EXPECT_TRUE(got.t == -1 && got.object == nullptr) << "hit written without a hit";
                continue;
            }
            ++hits;
            ASSERT_EQ(got.t, want.hit.t);
            EXPECT_EQ(got.enter, want.hit.enter);
            if (got.object != want.hit.object) {
                // Only an exact tie may pick another primitive.
                Hit other;
                ASSERT_EQ(got.object->intersectOp(got.object, ray, other), 1);
                EXPECT_EQ(other.t, want.hit.t) << "different object without a tie";
            }
        }
    }
    // The scenes must exercise both outcomes, or the comparison proves little.
    EXPECT_GT(hits, compared / 10);
    EXPECT_LT(hits, compared - compared / 10);
}

TEST_F(CrossCheckTest, ConcurrentCallsAnswerLikeSerialOnes) {
    const unsigned seed = 2468;
    SCOPED_TRACE("seed " + std::to_string(seed));
    SceneMaker maker(seed);
    for (int k = 0; k < 600; ++k) {
        maker.addPrimitive(false);
    }
    buildBoundingSlabs();
    std::vector<Ray> rays;
    for (int r = 0; r < 2000; ++r) {
        rays.push_back(maker.ray());
    }
    std::vector<Answer> serial(rays.size());
    for (size_t r = 0; r < rays.size(); ++r) {
        serial[r].result = intersect(rays[r], kInfinity, serial[r].hit, nullptr);
    }

    constexpr int kThreads = 4;
    std::vector<std::vector<Answer>> parallel(kThreads, std::vector<Answer>(rays.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread walks the rays from its own starting point.
            for (size_t k = 0; k < rays.size(); ++k) {
                size_t r = (k + t * rays.size() / kThreads) % rays.size();
                Answer& a = parallel[t][r];
                a.result = intersect(rays[r], kInfinity, a.hit, nullptr);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        for (size_t r = 0; r < rays.size(); ++r) {
            SCOPED_TRACE("thread " + std::to_string(t) + " ray " + std::to_string(r));
            ASSERT_EQ(parallel[t][r].result, serial[r].result);
            if (serial[r].result != 0) {
                ASSERT_EQ(parallel[t][r].hit.t, serial[r].hit.t);
                ASSERT_EQ(parallel[t][r].hit.object, serial[r].hit.object);
            }
        }
    }
}

} // namespace
