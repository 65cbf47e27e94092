#include "accel/slabs.h"

#include <cstdio>
#include <new>

#include "accel/flat_tree.h"
#include "driver/fatal.h"
#include "driver/scene_state.h"

long total = 0;
int Axis = 0;
double Median = 0;

namespace {

// The run handed over is shorter than its count: nPrims and myObjectList disagree.
[[noreturn]] void stopShortRun(long count, long visited) {
    std::fprintf(stderr, "NULL top in FindAxis, count = %ld\n", count - 1 - visited);
    fatalExit(1);
}

[[noreturn]] void stopOutOfMemory() {
    std::fprintf(stderr, "\n\n QUELLIX is out of memory...\n");
    fatalExit(1);
}

// Twice the centre of the item's box along direction i; never halved, so every
// comparison of the build sees the same exact values.
double centreSum(const Object* item, int i) {
    return item->lowerExtent[i] + item->upperExtent[i];
}

// Moves `n` items, one at a time, from the front of one group to the front of the other.
// The source group keeps at least one item, so only the target's last item can change.
void moveFront(Object*& from, long& fromCount, Object*& to, Object*& toLast, long& toCount,
               long n) {
    for (long k = 0; k < n; ++k) {
        Object* item = from;
        from = item->next;
        item->next = to;
        if (to == nullptr) {
            toLast = item;
        }
        to = item;
        --fromCount;
        ++toCount;
    }
}

// Wraps the run of `count` (2 to bunching) items held by `link` into one bounding node.
void groupRun(Object** link, long count) {
    Object* first = *link;
    if (first == nullptr) {
        stopShortRun(count, 0);
    }
    Object* last = first;
    for (long visited = 1; visited < count; ++visited) {
        if (last->next == nullptr) {
            stopShortRun(count, visited);
        }
        last = last->next;
    }

    Object* node = allocateObject(kBoundingNode, {});
    if (node == nullptr) {
        stopOutOfMemory();
    }
    ChildList* children = new (std::nothrow) ChildList{static_cast<int>(count), first};
    if (children == nullptr) {
        releaseObject(node);
        stopOutOfMemory();
    }
    node->children = children;

    node->next = last->next;
    last->next = nullptr;
    *link = node;

    for (int i = 0; i < 3; ++i) {
        double lower = kInfinity;
        double upper = -kInfinity;
        for (const Object* child = first; child != nullptr; child = child->next) {
            if (child->lowerExtent[i] < lower) {
                lower = child->lowerExtent[i];
            }
            if (child->upperExtent[i] > upper) {
                upper = child->upperExtent[i];
            }
        }
        node->lowerExtent[i] = lower;
        node->upperExtent[i] = upper;
    }

    total = total - count + 1;
}

} // namespace

void buildBoundingSlabs() {
    total = nPrims;
    while (sortAndSplit(&myObjectList, total) == 1) {
    }
    if (myObjectList != nullptr && myObjectList->kind == kBoundingNode) {
        flattenHierarchy(myObjectList);
    }
}

void findAxis(Object* first, long count) {
    double lo[3];
    double hi[3];
    double sum[3];
    for (int i = 0; i < 3; ++i) {
        lo[i] = kInfinity;
        hi[i] = -kInfinity;
        sum[i] = 0;
    }

    const Object* item = first;
    for (long visited = 0; visited < count; ++visited) {
        if (item == nullptr) {
            stopShortRun(count, visited);
        }
        for (int i = 0; i < 3; ++i) {
            double s = centreSum(item, i);
            if (s < lo[i]) {
                lo[i] = s;
            }
            if (s > hi[i]) {
                hi[i] = s;
            }
            sum[i] += s;
        }
        item = item->next;
    }

    // Only a strictly larger spread replaces the best: ties keep the lower direction.
    double best = -kInfinity;
    Axis = 0;
    for (int i = 0; i < 3; ++i) {
        double spread = hi[i] - lo[i];
        if (spread > best) {
            best = spread;
            Axis = i;
        }
    }
    Median = sum[Axis] / count;
}

int sortAndSplit(Object** link, long count) {
    if (count <= 0) {
        return 0;
    }
    if (count > bunching) {
        findAxis(*link, count);

        Object* low = nullptr;
        Object* lowLast = nullptr;
        long lowCount = 0;
        Object* high = nullptr;
        Object* highLast = nullptr;
        long highCount = 0;

        Object* item = *link;
        for (long k = 0; k < count; ++k) {
            Object* following = item->next;
            if (centreSum(item, Axis) < Median) {
                item->next = low;
                if (low == nullptr) {
                    lowLast = item;
                }
                low = item;
                ++lowCount;
            } else {
                item->next = high;
                if (high == nullptr) {
                    highLast = item;
                }
                high = item;
                ++highCount;
            }
            item = following;
        }
        Object* afterRun = item;

        // All centres on one side of the mean (equal centres, rounding): force progress.
        if (low == nullptr) {
            moveFront(high, highCount, low, lowLast, lowCount, count / 2);
        } else if (high == nullptr) {
            moveFront(low, lowCount, high, highLast, highCount, count / 2);
        }

        *link = high;
        highLast->next = low;
        lowLast->next = afterRun;

        sortAndSplit(&highLast->next, lowCount);
        sortAndSplit(link, highCount);
        return 1;
    }
    if (count >= 2) {
        groupRun(link, count);
        return 0;
    }
    return 0;
}
