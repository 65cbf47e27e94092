#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "geometry_fixture.h"

// Seeded property checks: rays aimed at known points of a random shape must hit exactly
// there (or miss when aimed outside it), and every hit any random ray reports must lie
// on the surface, inside the shape's bounds and its extents.

namespace {

constexpr std::uint64_t kSeeds[] = {20240611, 7, 99991};
constexpr int kShapesPerSeed = 40;
constexpr int kRaysPerShape = 60;

class Random {
  public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(engine_);
    }
    int integer(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    bool chance(double p) { return uniform(0, 1) < p; }
    Vector inBox(double half) {
        return {uniform(-half, half), uniform(-half, half), uniform(-half, half)};
    }
    Vector unitVector() {
        for (;;) {
            Vector v = inBox(1);
            double l2 = dot(v, v);
            if (l2 > 0.01 && l2 <= 1) {
                VecNorm(v);
                return v;
            }
        }
    }
    // A unit vector w with w . towards >= minimum (towards a unit vector).
    Vector unitVectorAlong(const Vector& towards, double minimum) {
        for (;;) {
            Vector w = unitVector();
            if (dot(w, towards) >= minimum) {
                return w;
            }
        }
    }

  private:
    std::mt19937_64 engine_;
};

// Two unit vectors completing `n` to an orthonormal frame, built independently of the
// code under test.
void frameAround(const Vector& n, Vector& e1, Vector& e2) {
    Vector helper = std::fabs(n.x) < 0.6 ? Vector{1, 0, 0} : Vector{0, 1, 0};
    e1 = helper - dot(helper, n) * n;
    VecNorm(e1);
    e2 = cross(n, e1);
}

double norm(const Vector& v) {
    return std::sqrt(dot(v, v));
}

class RandomPropertyTest : public GeometryTest {
  protected:
    // Checks what holds for every reported hit of every kind.
    void checkCommon(const Object* o, const Ray& ray, const Hit& hit, double minimumT) {
        EXPECT_TRUE(std::isfinite(hit.t));
        EXPECT_GE(hit.t, minimumT);
        EXPECT_EQ(hit.object, o);
        Vector p = pointAt(ray, hit.t);
        for (int i = 0; i < 3; ++i) {
            double d = dot(Slab[i], p);
            EXPECT_GE(d, o->lowerExtent[i] - 1e-9) << "slab " << i;
            EXPECT_LE(d, o->upperExtent[i] + 1e-9) << "slab " << i;
        }
        Vector n = o->normalOp(o, p);
        EXPECT_NEAR(norm(n), 1, 1e-12);
    }
    // Runs `body` for each seed with the seed in the failure messages.
    void forEachSeed(const std::function<void(Random&)>& body) {
        for (std::uint64_t seed : kSeeds) {
            SCOPED_TRACE(testing::Message() << "seed " << seed);
            Random random(seed);
            for (int shape = 0; shape < kShapesPerSeed && !HasFailure(); ++shape) {
                SCOPED_TRACE(testing::Message() << "shape " << shape);
                body(random);
                freeList(&myObjectList);
            }
        }
    }
};

TEST_F(RandomPropertyTest, Sphere) {
    forEachSeed([&](Random& random) {
        Vector center = random.inBox(5);
        double radius = random.uniform(0.1, 3) * (random.chance(0.2) ? -1 : 1);
        double r = std::fabs(radius);
        Object* o = makeSphere(center.x, center.y, center.z, radius);
        for (int k = 0; k < kRaysPerShape; ++k) {
            // Aimed from outside at a surface point that faces the origin.
            Vector u = random.unitVector();
            Vector s = center + r * u;
            double distance = random.uniform(0.1, 10);
            Ray aimed = rayTowards(s, -random.unitVectorAlong(u, 0.1), distance);
            Hit hit{};
            ASSERT_EQ(o->intersectOp(o, aimed, hit), 1);
            EXPECT_NEAR(hit.t, distance, 1e-9);
            EXPECT_EQ(hit.enter, 1);
            expectVectorNear(o->normalOp(o, pointAt(aimed, hit.t)), u, 1e-9);

            // Any ray, against roots found from the closest approach to the centre.
            Ray ray = makeRay(random.inBox(8), random.unitVector());
            double tc = dot(center - ray.origin, ray.direction);
            Vector closest = ray.origin + tc * ray.direction - center;
            double d2 = dot(closest, closest);
            double expectedT = -1;
            if (d2 < r * r - 1e-6) {
                double half = std::sqrt(r * r - d2);
                expectedT = tc - half >= 0.001 ? tc - half : tc + half;
                if (std::fabs(tc - half - 0.001) < 1e-6 || std::fabs(tc + half - 0.001) < 1e-6) {
                    continue;
                }
            } else if (d2 <= r * r + 1e-6) {
                continue; // too close to tangent to tell
            }
            bool expectedHit = expectedT >= 0.001;
            ASSERT_EQ(o->intersectOp(o, ray, hit), expectedHit ? 1 : 0);
            if (expectedHit) {
                EXPECT_NEAR(hit.t, expectedT, 1e-9);
                Vector offset = ray.origin - center;
                EXPECT_EQ(hit.enter, dot(offset, offset) > r * r + 0.001 ? 1 : 0);
                EXPECT_NEAR(norm(pointAt(ray, hit.t) - center), r, 1e-9);
                checkCommon(o, ray, hit, 0.001);
            }
        }
    });
}

TEST_F(RandomPropertyTest, Plane) {
    forEachSeed([&](Random& random) {
        Vector n = random.unitVector();
        double d = random.uniform(-5, 5);
        double scale = random.uniform(0.5, 3);
        Object* o = makePlane(scale * n.x, scale * n.y, scale * n.z, d);
        expectVectorNear(o->shape.plane.normal, n, 1e-12);
        for (int k = 0; k < kRaysPerShape; ++k) {
            Ray ray = makeRay(random.inBox(8), random.unitVector());
            double denom = dot(n, ray.direction);
            double expectedT = (d - dot(n, ray.origin)) / denom;
            if (std::fabs(denom - 0.001) < 1e-9 || std::fabs(expectedT) < 1e-9) {
                continue;
            }
            bool expectedHit = denom >= 0.001 && expectedT >= 0;
            Hit hit{};
            ASSERT_EQ(o->intersectOp(o, ray, hit), expectedHit ? 1 : 0);
            if (expectedHit) {
                EXPECT_NEAR(hit.t, expectedT, 1e-9 * (1 + expectedT));
                EXPECT_EQ(hit.enter, 1);
                EXPECT_NEAR(dot(n, pointAt(ray, hit.t)), d, 1e-9 * (1 + expectedT));
                checkCommon(o, ray, hit, 0);
            }
        }
    });
}

TEST_F(RandomPropertyTest, ConeAndCylinder) {
    forEachSeed([&](Random& random) {
        Vector base = random.inBox(5);
        Vector axis = random.unitVector();
        double height = random.uniform(0.5, 5);
        double baseRadius = random.uniform(0.1, 3);
        double capRadius = random.chance(0.3)   ? baseRadius
                           : random.chance(0.2) ? 0
                                                : random.uniform(0.1, 3);
        Vector cap = base + height * axis;
        Object* o = makeCone(base, baseRadius, cap, capRadius);
        double slope = (capRadius - baseRadius) / height;
        Vector e1;
        Vector e2;
        frameAround(axis, e1, e2);
        for (int k = 0; k < kRaysPerShape; ++k) {
            // Aimed from outside the tangent plane at a point of the wall.
            double h = random.uniform(0.02, 0.98) * height;
            double angle = random.uniform(0, 2 * std::numbers::pi);
            Vector radial = std::cos(angle) * e1 + std::sin(angle) * e2;
            Vector s = base + h * axis + (baseRadius + slope * h) * radial;
            Vector outward = radial - slope * axis;
            VecNorm(outward);
            double distance = random.uniform(0.1, 10);
            Ray aimed = rayTowards(s, -random.unitVectorAlong(outward, 0.2), distance);
            Hit hit{};
            ASSERT_EQ(o->intersectOp(o, aimed, hit), 1);
            EXPECT_NEAR(hit.t, distance, 1e-8);
            EXPECT_EQ(hit.enter, 0);
            expectVectorNear(o->normalOp(o, pointAt(aimed, hit.t)), outward, 1e-8);

            // Any ray: a reported hit lies on the wall between the end planes.
            Ray ray = makeRay(random.inBox(8), random.unitVector());
            if (o->intersectOp(o, ray, hit) == 1) {
                Vector p = pointAt(ray, hit.t) - base;
                double along = dot(p, axis);
                EXPECT_GE(along, -1e-9);
                EXPECT_LE(along, height + 1e-9);
                EXPECT_NEAR(norm(p - along * axis), baseRadius + slope * along, 1e-8);
                EXPECT_EQ(hit.enter, 0);
                EXPECT_GT(hit.t, 0.001);
                checkCommon(o, ray, hit, 0.001);
            }
        }
    });
}

TEST_F(RandomPropertyTest, Ring) {
    forEachSeed([&](Random& random) {
        Vector center = random.inBox(5);
        Vector n = random.unitVector();
        double internal = random.chance(0.3) ? 0 : random.uniform(0.1, 1.5);
        double external = internal + random.uniform(0.1, 3);
        Object* o = makeRing(center, random.uniform(0.5, 3) * n, internal, external);
        Vector e1;
        Vector e2;
        frameAround(n, e1, e2);
        for (int k = 0; k < kRaysPerShape; ++k) {
            // Aimed from either side at a point of the plane, inside or outside the ring.
            double angle = random.uniform(0, 2 * std::numbers::pi);
            double rho = random.uniform(0, external + 1);
            bool inside = rho >= internal + 1e-6 && rho <= external - 1e-6;
            bool outside = rho <= internal - 1e-6 || rho >= external + 1e-6;
            if (!inside && !outside) {
                continue;
            }
            Vector s = center + rho * (std::cos(angle) * e1 + std::sin(angle) * e2);
            Vector side = random.chance(0.5) ? n : -n;
            double distance = random.uniform(0.1, 10);
            Ray aimed = rayTowards(s, -random.unitVectorAlong(side, 0.05), distance);
            Hit hit{};
            ASSERT_EQ(o->intersectOp(o, aimed, hit), inside ? 1 : 0) << "rho " << rho;
            if (inside) {
                EXPECT_NEAR(hit.t, distance, 1e-9);
                EXPECT_EQ(hit.enter, 1);
                expectVectorNear(o->normalOp(o, pointAt(aimed, hit.t)), n, 1e-12);
            }

            // Any ray: a reported hit lies in the annulus.
            Ray ray = makeRay(random.inBox(8), random.unitVector());
            if (o->intersectOp(o, ray, hit) == 1) {
                Vector p = pointAt(ray, hit.t) - center;
                EXPECT_NEAR(dot(p, n), 0, 1e-9 * (1 + hit.t));
                double d2 = dot(p, p);
                EXPECT_GE(d2, internal * internal - 1e-9);
                EXPECT_LE(d2, external * external + 1e-9);
                checkCommon(o, ray, hit, 0.001);
            }
        }
    });
}

// Signed distances, in the face's plane, of `p` from each edge of a convex outline
// (positive inside). `vertices` wind counter-clockwise about `n`.
double insideMargin(const std::vector<Vector>& vertices, const Vector& n, const Vector& p) {
    double margin = kInfinity;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Vector& a = vertices[i];
        const Vector& b = vertices[(i + 1) % vertices.size()];
        Vector edge = b - a;
        double distance = dot(cross(edge, p - a), n) / norm(edge);
        margin = std::min(margin, distance);
    }
    return margin;
}

// Random convex outlines with a ray aimed inside or outside them; the flat kinds and
// the patch share it.
struct FlatShape {
    std::vector<Vector> vertices; // counter-clockwise about n
    Vector n;
};

FlatShape randomConvexOutline(Random& random, int count) {
    FlatShape shape;
    Vector center = random.inBox(5);
    shape.n = random.unitVector();
    Vector e1;
    Vector e2;
    frameAround(shape.n, e1, e2);
    double radius = random.uniform(0.3, 3);
    double step = 2 * std::numbers::pi / count;
    double phase = random.uniform(0, step);
    for (int k = 0; k < count; ++k) {
        double angle = phase + k * step + random.uniform(-0.2, 0.2) * step;
        shape.vertices.push_back(center + radius * (std::cos(angle) * e1 + std::sin(angle) * e2));
    }
    return shape;
}

// Aims a ray at a random point of the outline's plane near the outline, from either
// side; `margin` receives the point's insideMargin.
Ray aimAtFace(Random& random, const FlatShape& shape, double& margin, double& distance) {
    Vector sum = {0, 0, 0};
    for (const Vector& v : shape.vertices) {
        sum = sum + v;
    }
    Vector center = (1.0 / static_cast<double>(shape.vertices.size())) * sum;
    double reach = 0;
    for (const Vector& v : shape.vertices) {
        reach = std::max(reach, norm(v - center));
    }
    Vector e1;
    Vector e2;
    frameAround(shape.n, e1, e2);
    double angle = random.uniform(0, 2 * std::numbers::pi);
    double rho = random.uniform(0, 1.3 * reach);
    Vector s = center + rho * (std::cos(angle) * e1 + std::sin(angle) * e2);
    margin = insideMargin(shape.vertices, shape.n, s);
    distance = random.uniform(0.1, 10);
    Vector side = random.chance(0.5) ? shape.n : -shape.n;
    return rayTowards(s, -random.unitVectorAlong(side, 0.1), distance);
}

TEST_F(RandomPropertyTest, PolygonAndTriangle) {
    forEachSeed([&](Random& random) {
        bool triangle = random.chance(0.4);
        FlatShape shape = randomConvexOutline(random, triangle ? 3 : random.integer(3, 8));
        std::vector<Vector> given = shape.vertices;
        // Either winding describes the same outline.
        bool reversed = random.chance(0.5);
        if (reversed) {
            given.assign(shape.vertices.rbegin(), shape.vertices.rend());
        }
        Vector* array = new Vector[given.size()];
        for (std::size_t k = 0; k < given.size(); ++k) {
            array[k] = given[k];
        }
        Object* o =
            triangle ? makeTriangle(array) : makePolygon(array, static_cast<int>(given.size()));
        Vector faceNormal = reversed ? shape.n : -shape.n;
        expectVectorNear(o->shape.polygon.normal, faceNormal, 1e-9);
        for (int k = 0; k < kRaysPerShape; ++k) {
            // Aimed clear of the edges: the tolerance in u only affects points near them.
            double margin;
            double distance;
            Ray aimed = aimAtFace(random, shape, margin, distance);
            if (std::fabs(margin) < 0.01) {
                continue;
            }
            Hit hit{};
            ASSERT_EQ(o->intersectOp(o, aimed, hit), margin > 0 ? 1 : 0) << "margin " << margin;
            if (margin > 0) {
                EXPECT_NEAR(hit.t, distance, 1e-9);
                EXPECT_EQ(hit.enter, 1);
                expectVectorNear(o->normalOp(o, pointAt(aimed, hit.t)), faceNormal, 1e-12);
            }

            // Any ray: a reported hit lies on the face, inside or on its outline.
            Ray ray = makeRay(random.inBox(8), random.unitVector());
            if (o->intersectOp(o, ray, hit) == 1) {
                Vector p = pointAt(ray, hit.t);
                EXPECT_NEAR(dot(p - shape.vertices[0], shape.n), 0, 1e-9 * (1 + hit.t));
                EXPECT_GE(insideMargin(shape.vertices, shape.n, p), -1e-9);
                checkCommon(o, ray, hit, 0.001);
            }
        }
    });
}

TEST_F(RandomPropertyTest, Patch) {
    forEachSeed([&](Random& random) {
        FlatShape shape = randomConvexOutline(random, 3);
        Vector data[6];
        Vector normals[3];
        for (int k = 0; k < 3; ++k) {
            // Any normal leaning off the face, given on either side.
            normals[k] = random.unitVectorAlong(shape.n, 0.2);
            data[2 * k] = shape.vertices[k];
            data[2 * k + 1] = (random.chance(0.5) ? 1 : -1) * random.uniform(0.5, 2) * normals[k];
        }
        Object* o = makePatch(data);
        const Vector& v0 = shape.vertices[0];
        Vector e1 = shape.vertices[1] - v0;
        Vector e2 = shape.vertices[2] - v0;
        Vector face = cross(e1, e2);
        // Barycentric weights of V1 and V2 from areas, independent of the stored basis.
        auto weights = [&](const Vector& p, double& beta, double& gamma) {
            Vector r = p - v0;
            beta = dot(cross(r, e2), face) / dot(face, face);
            gamma = dot(cross(e1, r), face) / dot(face, face);
        };
        auto expectedNormal = [&](const Vector& p) {
            double beta;
            double gamma;
            weights(p, beta, gamma);
            Vector n = (1 - beta - gamma) * normals[0] + beta * normals[1] + gamma * normals[2];
            VecNorm(n);
            return n;
        };
        for (int k = 0; k < kRaysPerShape; ++k) {
            double margin;
            double distance;
            Ray aimed = aimAtFace(random, shape, margin, distance);
            if (std::fabs(margin) < 1e-6) {
                continue;
            }
            Hit hit{};
            ASSERT_EQ(o->intersectOp(o, aimed, hit), margin > 0 ? 1 : 0) << "margin " << margin;
            if (margin > 0) {
                EXPECT_NEAR(hit.t, distance, 1e-9);
                EXPECT_EQ(hit.enter, 1);
                Vector p = pointAt(aimed, hit.t);
                expectVectorNear(o->normalOp(o, p), expectedNormal(p), 1e-9);
            }

            Ray ray = makeRay(random.inBox(8), random.unitVector());
            if (o->intersectOp(o, ray, hit) == 1) {
                Vector p = pointAt(ray, hit.t);
                double beta;
                double gamma;
                weights(p, beta, gamma);
                EXPECT_GE(beta, -1e-9);
                EXPECT_GE(gamma, -1e-9);
                EXPECT_LE(beta + gamma, 1 + 1e-9);
                EXPECT_NEAR(dot(p - v0, shape.n), 0, 1e-9 * (1 + hit.t));
                expectVectorNear(o->normalOp(o, p), expectedNormal(p), 1e-9);
                checkCommon(o, ray, hit, 0.001);
            }
        }
    });
}

} // namespace
