// Nearest-hit query cost: many random rays through scenes of thousands of primitives.
// Run with repetitions and read the medians, e.g.
//   bench_traversal --benchmark_repetitions=9 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "accel/slabs.h"
#include "accel/traversal.h"
#include "driver/scene_state.h"
#include "geometry/object.h"
#include "render/light.h"
#include "scene/parser.h"
#include "scene/reader.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRayCount = 1 << 14;

Vector unit(Vector v) {
    VecNorm(v);
    return v;
}

void resetScene() {
    freeList(&myObjectList);
    freeList(&myLightList);
    resetReaderState();
    resetSceneState();
    setMainDefaults();
}

// Spheres and triangles scattered through a cube of side 20 centred on the origin.
void buildRandomScene(int spheres, int triangles) {
    resetScene();
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> coordinate(-10, 10);
    std::uniform_real_distribution<double> size(0.05, 0.4);
    for (int k = 0; k < spheres; ++k) {
        makeSphere(coordinate(random), coordinate(random), coordinate(random), size(random));
    }
    for (int k = 0; k < triangles; ++k) {
        Vector corner = {coordinate(random), coordinate(random), coordinate(random)};
        auto* vertices = new Vector[3];
        vertices[0] = corner;
        for (int v = 1; v < 3; ++v) {
            vertices[v] = corner + Vector{size(random) * 2, size(random) * 2, size(random) * 2};
        }
        makeTriangle(vertices);
    }
    buildBoundingSlabs();
}

// Rays from points outside the scene's box towards random points inside it, like the
// primary rays of a camera looking at the scene.
std::vector<Ray> raysTowardsScene(Vector eye, double spread) {
    const Object* root = myObjectList;
    std::mt19937 random(777);
    std::uniform_real_distribution<double> jitter(-spread, spread);
    std::uniform_real_distribution<double> unitInterval(0, 1);
    std::vector<Ray> rays(kRayCount);
    for (Ray& ray : rays) {
        Vector target;
        double* t = &target.x;
        for (int i = 0; i < 3; ++i) {
            t[i] = root->lowerExtent[i] +
                   unitInterval(random) * (root->upperExtent[i] - root->lowerExtent[i]);
        }
        ray.origin = eye + Vector{jitter(random), jitter(random), jitter(random)};
        ray.direction = unit(target - ray.origin);
    }
    return rays;
}

// Rays from random points inside the scene in random directions, like reflected and
// shadow rays.
std::vector<Ray> raysInsideScene() {
    std::mt19937 random(999);
    std::uniform_real_distribution<double> coordinate(-10, 10);
    std::normal_distribution<double> gauss;
    std::vector<Ray> rays(kRayCount);
    for (Ray& ray : rays) {
        ray.origin = {coordinate(random), coordinate(random), coordinate(random)};
        ray.direction = unit({gauss(random), gauss(random), gauss(random)});
    }
    return rays;
}

void traceAll(benchmark::State& state, const std::vector<Ray>& rays, double maxDist) {
    size_t next = 0;
    long hits = 0;
    for (auto _ : state) {
        Hit hit;
        hits += intersect(rays[next], maxDist, hit, nullptr);
        benchmark::DoNotOptimize(hit);
        next = (next + 1) % rays.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["hit_ratio"] = benchmark::Counter(double(hits) / double(state.iterations()));
}

void BM_RandomSceneOutsideRays(benchmark::State& state) {
    buildRandomScene(5000, 2000);
    std::vector<Ray> rays = raysTowardsScene({30, 20, 25}, 2);
    traceAll(state, rays, kInfinity);
    resetScene();
}

void BM_RandomSceneInsideRays(benchmark::State& state) {
    buildRandomScene(5000, 2000);
    std::vector<Ray> rays = raysInsideScene();
    traceAll(state, rays, kInfinity);
    resetScene();
}

// Shadow-like queries: a limited distance.
void BM_RandomSceneShortRays(benchmark::State& state) {
    buildRandomScene(5000, 2000);
    std::vector<Ray> rays = raysInsideScene();
    traceAll(state, rays, 3.0);
    resetScene();
}

// The shared sphere-flake scene, read with the scene parser when it is available.
void BM_BallsScene(benchmark::State& state) {
    std::filesystem::path path =
        std::filesystem::path(QUELLIX_SOURCE_DIR) / ".." / "shared" / "scenes" / "balls.qlx";
    resetScene();
    // The parser's progress and statistics would mix with the benchmark's table.
    std::fflush(stdout);
    int savedOut = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    bool ok = false;
    try {
        ok = parseFile(path.c_str()) == 0;
    } catch (...) {
    }
    std::fflush(stdout);
    dup2(savedOut, STDOUT_FILENO);
    close(savedOut);
    close(null);
    if (!ok) {
        state.SkipWithError("balls.qlx could not be read");
        resetScene();
        return;
    }
    buildBoundingSlabs();
    std::vector<Ray> rays = raysTowardsScene({2.1, 1.3, 1.7}, 0.05);
    traceAll(state, rays, kInfinity);
    resetScene();
}

} // namespace

BENCHMARK(BM_RandomSceneOutsideRays)->MinWarmUpTime(0.2);
BENCHMARK(BM_RandomSceneInsideRays)->MinWarmUpTime(0.2);
BENCHMARK(BM_RandomSceneShortRays)->MinWarmUpTime(0.2);
BENCHMARK(BM_BallsScene)->MinWarmUpTime(0.2);

BENCHMARK_MAIN();
