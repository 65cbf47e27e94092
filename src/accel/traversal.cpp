#include "accel/traversal.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <new>

#include "driver/fatal.h"
#include "driver/scene_state.h"

namespace {

// Render threads may meet a stop at the same moment: the first one prints its message
// and ends the process, any other waits for that end instead of printing again.
std::atomic<bool> stopping{false};

[[noreturn, gnu::cold, gnu::noinline]] void stop(std::FILE* stream, const char* message) {
    if (stopping.exchange(true)) {
        for (;;) {
            pause();
        }
    }
    std::fputs(message, stream);
    fatalExit(1);
}

[[noreturn]] void stopOutOfMemory() {
    stop(stderr, "\n\n QUELLIX is out of memory...\n");
}

[[noreturn]] void stopOutOfSpace() {
    stop(stderr, "\n\n QUELLIX is out of space...\n Please use the -pqs or --pqsize switch to "
                 "increase the priority queue size\n");
}

[[noreturn]] void stopEmptyQueue() {
    stop(stdout, " Priority queue is empty, dying...\n Please use the -pqs or --pqsize switch to "
                 "increase the priority queue size\n");
}

// Each render thread keeps one queue of iPQSize positions and reuses it for every call:
// no allocation on the hot path, and nothing shared between threads is written. Hence
// intersect must not be called from inside an intersect operation.
struct ThreadQueue {
    std::unique_ptr<QueueEntry[]> entries;
    std::size_t size = 0;
};
thread_local ThreadQueue threadQueue;

QueueEntry* queueOfThisThread() {
    // With a size of 0 or less the first insertion stops the program: one position will do.
    const std::size_t size = iPQSize > 0 ? static_cast<std::size_t>(iPQSize) : 1;
    if (threadQueue.size != size) {
        threadQueue.entries.reset();
        threadQueue.size = 0;
        // Left uninitialised, like any fresh allocation: a large -pqs costs only what the
        // walk actually uses.
        threadQueue.entries.reset(new (std::nothrow) QueueEntry[size]);
        if (threadQueue.entries == nullptr) {
            stopOutOfMemory();
        }
        threadQueue.size = size;
    }
    return threadQueue.entries.get();
}

// The heap operations proper. `size` is iPQSize, read once per call of intersect.
// Both move a hole instead of swapping; the comparisons and the resulting positions are
// those of the swapping sift.
inline void heapInsert(double key, const Object* object, QueueEntry* queue, int& count, int size) {
    count = count + 1;
    if (count >= size) [[unlikely]] {
        stopOutOfSpace();
    }
    int p = count;
    // Strictly less: an entry never climbs past an equal key.
    while (p > 1 && key < queue[p / 2].key) {
        queue[p] = queue[p / 2];
        p = p / 2;
    }
    queue[p] = {key, object};
}

inline void heapDelete(double& key, const Object*& object, QueueEntry* queue, int& count) {
    if (count <= 0) [[unlikely]] {
        stopEmptyQueue();
    }
    key = queue[1].key;
    object = queue[1].object;
    const QueueEntry moving = queue[count];
    count = count - 1;
    int p = 1;
    if (count > 1) {
        while (2 * p <= count) {
            int c = 2 * p;
            // On equal keys the right child.
            if (c != count && !(queue[c].key < queue[c + 1].key)) {
                c = c + 1;
            }
            if (moving.key > queue[c].key) {
                queue[p] = queue[c];
                p = c;
            } else {
                break;
            }
        }
    }
    queue[p] = moving;
}

inline void boxEnqueue(const Object* object, double limit, const double origin[3],
                       const double direction[3], QueueEntry* queue, int& count, int size) {
    double tmin = -kInfinity;
    double tmax = limit;
    for (int i = 0; i < 3; ++i) {
        // A zero component sets no bound (its quotients would be infinities or NaN): the
        // box is judged on the other directions alone, and one lying beside the ray is
        // queued all the same for its primitive's own test to decide.
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
    // Negative when the ray starts inside the box.
    heapInsert(tmin, object, queue, count, size);
}

} // namespace

int intersect(const Ray& ray, double maxDist, Hit& hit, const Object* exclude) {
    const Object* root = myObjectList;
    if (root == nullptr) {
        return 0;
    }
    if (root->kind != kBoundingNode) {
        // A lone primitive answers for itself: neither maxDist nor exclude applies. Through
        // a local record, so that a miss leaves `hit` untouched here too.
        Hit local;
        int result = root->intersectOp(root, ray, local);
        if (result != 0) {
            hit = local;
        }
        return result;
    }

    const double origin[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const double direction[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    QueueEntry* queue = queueOfThisThread();
    const int size = iPQSize;
    int count = 0;
    double nearest = maxDist;
    const Object* taken = nullptr;

    boxEnqueue(root, maxDist, origin, direction, queue, count, size);
    while (count != 0) {
        double key;
        const Object* object;
        heapDelete(key, object, queue, count);
        // Every box left starts beyond the nearest hit.
        if (key > nearest) {
            break;
        }
        if (object->kind == kBoundingNode) {
            // Against maxDist, not nearest: a child starting beyond the nearest hit still
            // takes a position, and so counts against the -pqs size.
            for (const Object* child = object->children->first; child != nullptr;
                 child = child->next) {
                if (child != exclude) {
                    boxEnqueue(child, maxDist, origin, direction, queue, count, size);
                }
            }
        } else {
            Hit local;
            // Strictly nearer only: of two equal distances the first taken stays.
            if (object->intersectOp(object, ray, local) != 0 && local.t < nearest) {
                nearest = local.t;
                taken = object;
                hit = local;
            }
        }
    }
    return taken != nullptr ? 1 : 0;
}

void checkAndEnqueue(const Object* object, double limit, const double origin[3],
                     const double direction[3], QueueEntry* queue, int& count) {
    boxEnqueue(object, limit, origin, direction, queue, count, iPQSize);
}

void priorityQueueInsert(double key, const Object* object, QueueEntry* queue, int& count) {
    heapInsert(key, object, queue, count, iPQSize);
}

void priorityQueueDelete(double& key, const Object*& object, QueueEntry* queue, int& count) {
    heapDelete(key, object, queue, count);
}
