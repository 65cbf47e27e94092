#include <cmath>

#include "render_fixture.h"

namespace {

using RefractionTest = RenderTest;

struct BendCase {
    const char* name;
    double nFrom;
    double nTo;
    double incidenceDegrees; // from the normal
    int refracted;
    double outDegrees; // from the reversed normal when refracted, from the normal when not
};

// The ray travels in the x-z plane towards -z; the normal (0, 0, 1) faces it.
TEST_F(RefractionTest, SnellAndTotalInternalReflection) {
    constexpr double kDegree = 3.141592653589793 / 180;
    const BendCase cases[] = {
        {"normal incidence", 1, 1.5, 0, 1, 0},
        {"same index", 1.3, 1.3, 40, 1, 40},
        {"into glass bends toward the normal", 1, 1.5, 45,
         1, std::asin(std::sin(45 * kDegree) / 1.5) / kDegree},
        {"out of glass bends away", 1.5, 1, 30, 1, std::asin(1.5 * 0.5) / kDegree},
        {"out of glass at a grazing angle", 1.5, 1, 60, 0, 60},
        {"just beyond the critical angle", 1.5, 1, 41.9, 0, 41.9},
        {"just below the critical angle", 1.5, 1, 41.7,
         1, std::asin(1.5 * std::sin(41.7 * kDegree)) / kDegree},
    };
    for (const BendCase& c : cases) {
        SCOPED_TRACE(c.name);
        const double i = c.incidenceDegrees * kDegree;
        const Vector d = {std::sin(i), 0, -std::cos(i)};
        const Vector N = {0, 0, 1};
        Vector out = {9, 9, 9};
        EXPECT_EQ(refractionDirection(c.nFrom, c.nTo, d, N, out), c.refracted);
        const double o = c.outDegrees * kDegree;
        const Vector expected = c.refracted != 0 ? Vector{std::sin(o), 0, -std::cos(o)}
                                                 : Vector{std::sin(o), 0, std::cos(o)};
        expectNear(out, expected, 1e-12);
        EXPECT_NEAR(dot(out, out), 1, 1e-12);
    }
}

} // namespace
