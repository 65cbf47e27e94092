#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "driver/scene_state.h"
#include "geometry/object.h"

// Test-only primitives and helpers for the hierarchy and traversal tests.

// Every in-process test starts from program-start state with main's defaults and an
// empty object list, and leaves no records behind.
class AccelTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// Primitive whose box is [lower, upper] and whose intersect operation reports a hit at
// the fixed distance `t` whatever the ray (no hit when `t` is negative, with `hit` then
// scribbled over). Every call of its intersect operation is appended to callLog().
// Pushed on myObjectList, nPrims += 1.
Object* addFixed(Vector lower, Vector upper, double t);
// Same record, not put in any list (for hand-built trees).
Object* newFixed(Vector lower, Vector upper, double t);
std::vector<const Object*>& callLog();

// Sphere with a ray-sphere intersection of its own (nearer crossing from 0.001 on) and
// exact extents centre ± radius. Pushed on myObjectList, nPrims += 1.
Object* addTestSphere(Vector center, double radius);

// Box that only labels a place for the hierarchy tests (never intersected).
// Pushed on myObjectList, nPrims += 1.
Object* addBox(Vector lower, Vector upper);

// Bounding node over `children` (chained in the given order), extents their min/max.
Object* newNode(std::initializer_list<Object*> children);

// The tree below `root` written with the names of its primitives, children in list order:
// "(a (b c))". An unnamed primitive is written "?".
std::string describeTree(const Object* root, const std::map<const Object*, std::string>& names);

// Every primitive reachable from `root`, in traversal order of the child lists.
std::vector<const Object*> leavesOf(const Object* root);

// Structural checks of a finished build over `primitives`: one root with a NULL next,
// nodes of 2..bunching children whose counts and extents match them, every primitive
// exactly once.
void expectWellFormedTree(const Object* root, const std::vector<const Object*>& primitives);
