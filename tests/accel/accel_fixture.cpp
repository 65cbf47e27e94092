#include "accel_fixture.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

std::vector<const Object*> calls;

int fixedIntersect(const Object* object, const Ray&, Hit& hit) {
    calls.push_back(object);
    double t = object->shape.sphere.radius;
    if (t < 0) {
        hit = {t, 0, object}; // a miss leaves scratch behind, as real operations may
        return 0;
    }
    hit.t = t;
    hit.enter = 1;
    hit.object = object;
    return 1;
}

int testSphereIntersect(const Object* object, const Ray& ray, Hit& hit) {
    const SphereData& s = object->shape.sphere;
    Vector oc = ray.origin - s.center;
    double b = dot(oc, ray.direction);
    double c = dot(oc, oc) - s.radiusSquared;
    double disc = b * b - c;
    if (disc < 0) {
        return 0;
    }
    double root = std::sqrt(disc);
    double t = -b - root;
    if (t < kEpsilon) {
        t = -b + root;
    }
    if (t < kEpsilon) {
        return 0;
    }
    hit.t = t;
    hit.enter = c > 0 ? 1 : 0;
    hit.object = object;
    return 1;
}

int neverIntersect(const Object*, const Ray&, Hit&) {
    ADD_FAILURE() << "a hierarchy-only box was intersected";
    return 0;
}

Object* newRecord(IntersectOp op, Vector lower, Vector upper) {
    Object* object = allocateObject(kSphere, ObjectOps{nullptr, nullptr, op});
    object->lowerExtent[0] = lower.x;
    object->lowerExtent[1] = lower.y;
    object->lowerExtent[2] = lower.z;
    object->upperExtent[0] = upper.x;
    object->upperExtent[1] = upper.y;
    object->upperExtent[2] = upper.z;
    return object;
}

Object* push(Object* object) {
    addToList(&myObjectList, object);
    nPrims += 1;
    return object;
}

void collectLeaves(const Object* item, std::vector<const Object*>& out) {
    if (item->kind == kBoundingNode) {
        for (const Object* child = item->children->first; child != nullptr; child = child->next) {
            collectLeaves(child, out);
        }
    } else {
        out.push_back(item);
    }
}

void checkNode(const Object* node) {
    if (node->kind != kBoundingNode) {
        return;
    }
    ASSERT_NE(node->children, nullptr);
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        double lower = kInfinity;
        double upper = -kInfinity;
        for (const Object* child = node->children->first; child != nullptr; child = child->next) {
            lower = std::min(lower, child->lowerExtent[i]);
            upper = std::max(upper, child->upperExtent[i]);
        }
        EXPECT_EQ(node->lowerExtent[i], lower) << "direction " << i;
        EXPECT_EQ(node->upperExtent[i], upper) << "direction " << i;
    }
    for (const Object* child = node->children->first; child != nullptr; child = child->next) {
        ++count;
        checkNode(child);
    }
    EXPECT_GE(count, 2);
    EXPECT_LE(count, bunching);
    EXPECT_EQ(node->children->count, count);
}

} // namespace

void AccelTest::SetUp() {
    resetSceneState();
    setMainDefaults();
    freeList(&myObjectList);
    calls.clear();
}

void AccelTest::TearDown() {
    freeList(&myObjectList);
    resetSceneState();
}

std::vector<const Object*>& callLog() {
    return calls;
}

Object* newFixed(Vector lower, Vector upper, double t) {
    Object* object = newRecord(fixedIntersect, lower, upper);
    object->shape.sphere.radius = t;
    return object;
}

Object* addFixed(Vector lower, Vector upper, double t) {
    return push(newFixed(lower, upper, t));
}

Object* addTestSphere(Vector center, double radius) {
    Object* object =
        newRecord(testSphereIntersect, {center.x - radius, center.y - radius, center.z - radius},
                  {center.x + radius, center.y + radius, center.z + radius});
    object->shape.sphere.center = center;
    object->shape.sphere.radius = radius;
    object->shape.sphere.radiusSquared = radius * radius;
    return push(object);
}

Object* addBox(Vector lower, Vector upper) {
    return push(newRecord(neverIntersect, lower, upper));
}

Object* newNode(std::initializer_list<Object*> children) {
    Object* node = allocateObject(kBoundingNode, {});
    Object* first = nullptr;
    Object** cell = &first;
    for (Object* child : children) {
        *cell = child;
        cell = &child->next;
    }
    *cell = nullptr;
    node->children = new ChildList{static_cast<int>(children.size()), first};
    for (int i = 0; i < 3; ++i) {
        node->lowerExtent[i] = kInfinity;
        node->upperExtent[i] = -kInfinity;
        for (const Object* child : children) {
            node->lowerExtent[i] = std::min(node->lowerExtent[i], child->lowerExtent[i]);
            node->upperExtent[i] = std::max(node->upperExtent[i], child->upperExtent[i]);
        }
    }
    return node;
}

std::string describeTree(const Object* root, const std::map<const Object*, std::string>& names) {
    if (root == nullptr) {
        return "NULL";
    }
    if (root->kind != kBoundingNode) {
        auto found = names.find(root);
        return found == names.end() ? "?" : found->second;
    }
    std::string text = "(";
    for (const Object* child = root->children->first; child != nullptr; child = child->next) {
        if (child != root->children->first) {
            text += ' ';
        }
        text += describeTree(child, names);
    }
    return text + ")";
}

std::vector<const Object*> leavesOf(const Object* root) {
    std::vector<const Object*> out;
    if (root != nullptr) {
        collectLeaves(root, out);
    }
    return out;
}

void expectWellFormedTree(const Object* root, const std::vector<const Object*>& primitives) {
    if (primitives.empty()) {
        EXPECT_EQ(root, nullptr);
        return;
    }
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->next, nullptr);
    if (primitives.size() == 1) {
        EXPECT_EQ(root, primitives.front());
        return;
    }
    EXPECT_EQ(root->kind, kBoundingNode);
    checkNode(root);
    std::vector<const Object*> leaves = leavesOf(root);
    std::multiset<const Object*> got(leaves.begin(), leaves.end());
    std::multiset<const Object*> want(primitives.begin(), primitives.end());
    EXPECT_EQ(got, want);
}
