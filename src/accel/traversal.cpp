#include "accel/traversal.h"

#include <cstdio>
#include <cstdlib>

#include "driver/fatal.h"
#include "driver/scene_state.h"

namespace {

[[noreturn]] void stopOutOfMemory() {
    std::fprintf(stderr, "\n\n QUELLIX is out of memory...\n");
    fatalExit(1);
}

[[noreturn]] void stopOutOfSpace() {
    std::fprintf(stderr, "\n\n QUELLIX is out of space...\n Please use the -pqs or --pqsize "
                         "switch to increase the priority queue size\n");
    fatalExit(1);
}

[[noreturn]] void stopEmptyQueue() {
    std::printf(" Priority queue is empty, dying...\n Please use the -pqs or --pqsize switch "
                "to increase the priority queue size\n");
    fatalExit(1);
}

} // namespace

int intersect(const Ray& ray, double maxDist, Hit& hit, const Object* exclude) {
    const Object* root = myObjectList;
    if (root == nullptr) {
        return 0;
    }
    if (root->kind != kBoundingNode) {
        return root->intersectOp(root, ray, hit);
    }

    const double origin[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const double direction[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    QueueEntry* queue =
        static_cast<QueueEntry*>(std::malloc(sizeof(QueueEntry) * (iPQSize > 0 ? iPQSize : 1)));
    if (queue == nullptr) {
        stopOutOfMemory();
    }
    int count = 0;
    double nearest = maxDist;
    const Object* taken = nullptr;

    checkAndEnqueue(root, maxDist, origin, direction, queue, count);
    while (count != 0) {
        double key;
        const Object* object;
        priorityQueueDelete(key, object, queue, count);
        if (key > nearest) {
            break;
        }
        if (object->kind == kBoundingNode) {
            for (const Object* child = object->children->first; child != nullptr;
                 child = child->next) {
                if (child != exclude) {
                    checkAndEnqueue(child, maxDist, origin, direction, queue, count);
                }
            }
        } else {
            Hit local;
            if (object->intersectOp(object, ray, local) != 0 && local.t < nearest) {
                nearest = local.t;
                taken = object;
                hit = local;
            }
        }
    }
    std::free(queue);
    return taken != nullptr ? 1 : 0;
}

void checkAndEnqueue(const Object* object, double limit, const double origin[3],
                     const double direction[3], QueueEntry* queue, int& count) {
    double tmin = -kInfinity;
    double tmax = limit;
    for (int i = 0; i < 3; ++i) {
        // A zero component would divide to infinities or NaN; the ray then never leaves
        // this slab's range, so the slab sets no bound.
        if (direction[i] == 0) {
            continue;
        }
        double t1 = (object->lowerExtent[i] - origin[i]) / direction[i];
        double t2 = (object->upperExtent[i] - origin[i]) / direction[i];
        if (t1 < t2) {
            if (t2 < tmax) {
                tmax = t2;
            }
            if (t1 > tmin) {
                tmin = t1;
            }
        } else {
            if (t1 < tmax) {
                tmax = t1;
            }
            if (t2 > tmin) {
                tmin = t2;
            }
        }
        if (tmin > tmax || tmax < kEpsilon) {
            return;
        }
    }
    priorityQueueInsert(tmin, object, queue, count);
}

void priorityQueueInsert(double key, const Object* object, QueueEntry* queue, int& count) {
    count = count + 1;
    if (count >= iPQSize) {
        stopOutOfSpace();
    }
    queue[count] = {key, object};
    int p = count;
    while (p > 1 && queue[p].key < queue[p / 2].key) {
        QueueEntry swap = queue[p];
        queue[p] = queue[p / 2];
        queue[p / 2] = swap;
        p = p / 2;
    }
}

void priorityQueueDelete(double& key, const Object*& object, QueueEntry* queue, int& count) {
    if (count <= 0) {
        stopEmptyQueue();
    }
    key = queue[1].key;
    object = queue[1].object;
    queue[1] = queue[count];
    count = count - 1;
    if (count > 1) {
        int p = 1;
        while (2 * p <= count) {
            int c;
            if (2 * p == count) {
                c = 2 * p;
            } else if (queue[2 * p].key < queue[2 * p + 1].key) {
                c = 2 * p;
            } else {
                c = 2 * p + 1;
            }
            if (queue[p].key > queue[c].key) {
                QueueEntry swap = queue[p];
                queue[p] = queue[c];
                queue[c] = swap;
                p = c;
            } else {
                break;
            }
        }
    }
}
