#include "accel/traversal.h"

#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <atomic>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

#include "accel/flat_tree.h"
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
template <class Entry> struct ThreadQueue {
    std::unique_ptr<Entry[]> entries;
    std::size_t size = 0;
};

template <class Entry> Entry* queueOfThisThread() {
    // Function-local: g++ never destroys a thread_local variable template at thread exit,
    // which leaked each render thread's queue.
    thread_local ThreadQueue<Entry> mine;
    // With a size of 0 or less the first insertion stops the program: one position will do.
    const std::size_t size = iPQSize > 0 ? static_cast<std::size_t>(iPQSize) : 1;
    if (mine.size != size) {
        mine.entries.reset();
        mine.size = 0;
        // Left uninitialised, like any fresh allocation: a large -pqs costs only what the
        // walk actually uses.
        mine.entries.reset(new (std::nothrow) Entry[size]);
        if (mine.entries == nullptr) {
            stopOutOfMemory();
        }
        mine.size = size;
    }
    return mine.entries.get();
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

// A queue entry of the walk over the flat copy.
struct FlatEntry {
    double key;
    FlatRef object;
};

// heapInsert and heapDelete for the walk over the flat copy, which queues the same keys in
// the same order, with references into the copy instead of record addresses, and so
// builds the same heap. It owns its queue: the unused position 0 holds a key below every
// key, so the climb needs no test for the top.
inline void flatInsert(double key, FlatRef ref, FlatEntry* queue, int& count, int size) {
    count = count + 1;
    if (count >= size) [[unlikely]] {
        stopOutOfSpace();
    }
    unsigned p = static_cast<unsigned>(count);
    while (key < queue[p / 2].key) {
        queue[p] = queue[p / 2];
        p = p / 2;
    }
    queue[p] = {key, ref};
}

inline void flatDelete(double& key, FlatRef& ref, FlatEntry* queue, int& count) {
    if (count <= 0) [[unlikely]] {
        stopEmptyQueue();
    }
    key = queue[1].key;
    ref = queue[1].object;
    const FlatEntry moving = queue[count];
    count = count - 1;
    const unsigned last = static_cast<unsigned>(count);
    unsigned p = 1;
    while (2 * p <= last) {
        unsigned c = 2 * p;
        // On equal keys the right child.
        if (c != last && !(queue[c].key < queue[c + 1].key)) {
            c = c + 1;
        }
        if (!(moving.key > queue[c].key)) {
            break;
        }
        queue[p] = queue[c];
        p = c;
    }
    queue[p] = moving;
}

// The box test of one record: true, with the distance at which the ray enters the box
// in `key`, when the box lies along the ray between 0.001 and `limit`.
inline bool boxAccepts(const Object* object, double limit, const double origin[3],
                       const double direction[3], double& key) {
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
            return false;
        }
    }
    // Negative when the ray starts inside the box.
    key = tmin;
    return true;
}

inline void boxEnqueue(const Object* object, double limit, const double origin[3],
                       const double direction[3], QueueEntry* queue, int& count, int size) {
    double key;
    if (boxAccepts(object, limit, origin, direction, key)) {
        heapInsert(key, object, queue, count, size);
    }
}

// The walk's view of one ray: its coordinates and the directions that bound a box.
struct RayAxes {
    double origin[3];
    double direction[3];
    int axis[3]; // directions whose component is not 0, in order
    int axisCount;
};

// Box tests of a whole packet: boxAccepts for every lane at once, lane by lane the same
// operations in the same order. The test after each direction is left to the end: tmin
// only grows and tmax only shrinks, so a box refused half-way is refused at the end as
// well (with no direction at all nothing is tested, as in the one-box test). `refused`
// returns the refused lanes as bits and every lane's tmin in `keys`.
//
// The selects of boxAccepts are exactly those of minpd and maxpd, which take the second
// operand on NaN and on equal values:
//   t1 < t2 ? t1 : t2 = min(t1, t2)          t1 < t2 ? t2 : t1 = max(t2, t1)
//   t2 < tmax ? t2 : tmax = min(t2, tmax)    t1 > tmin ? t1 : tmin = max(t1, tmin)
#if defined(__x86_64__) || defined(__i386__)
struct PacketsSse2 {
    // Two lanes per register; the ray's values spread over registers once per walk.
    struct Prepared {
        __m128d origin[3];
        __m128d direction[3];
        __m128d limit;
        int axis[3];
        int axisCount;
    };

    static Prepared prepare(const RayAxes& r, double limit) {
        Prepared p;
        for (int i = 0; i < 3; ++i) {
            p.origin[i] = _mm_set1_pd(r.origin[i]);
            p.direction[i] = _mm_set1_pd(r.direction[i]);
            p.axis[i] = r.axis[i];
        }
        p.limit = _mm_set1_pd(limit);
        p.axisCount = r.axisCount;
        return p;
    }

    // Lanes 2h and 2h + 1 through direction i.
    static void slab(const ChildPacket& packet, const Prepared& p, int i, int h, __m128d& tmin,
                     __m128d& tmax) {
        const ChildPacket::Bounds& b = packet.slab[i];
        const __m128d t1 =
            _mm_div_pd(_mm_sub_pd(_mm_load_pd(&b.lower[2 * h]), p.origin[i]), p.direction[i]);
        const __m128d t2 =
            _mm_div_pd(_mm_sub_pd(_mm_load_pd(&b.upper[2 * h]), p.origin[i]), p.direction[i]);
        tmax = _mm_min_pd(_mm_max_pd(t2, t1), tmax);
        tmin = _mm_max_pd(_mm_min_pd(t1, t2), tmin);
    }

    static int refused(const ChildPacket& packet, const Prepared& p, double keys[kPacketWidth]) {
        __m128d tminA = _mm_set1_pd(-kInfinity);
        __m128d tminB = tminA;
        __m128d tmaxA = p.limit;
        __m128d tmaxB = tmaxA;
        if (p.axisCount == 3) {
            for (int i = 0; i < 3; ++i) {
                slab(packet, p, i, 0, tminA, tmaxA);
                slab(packet, p, i, 1, tminB, tmaxB);
            }
        } else {
            for (int a = 0; a < p.axisCount; ++a) {
                slab(packet, p, p.axis[a], 0, tminA, tmaxA);
                slab(packet, p, p.axis[a], 1, tminB, tmaxB);
            }
        }
        _mm_storeu_pd(&keys[0], tminA);
        _mm_storeu_pd(&keys[2], tminB);
        if (p.axisCount == 0) {
            return 0;
        }
        const __m128d epsilon = _mm_set1_pd(kEpsilon);
        const __m128d refusedA =
            _mm_or_pd(_mm_cmpgt_pd(tminA, tmaxA), _mm_cmplt_pd(tmaxA, epsilon));
        const __m128d refusedB =
            _mm_or_pd(_mm_cmpgt_pd(tminB, tmaxB), _mm_cmplt_pd(tmaxB, epsilon));
        return _mm_movemask_pd(refusedA) | (_mm_movemask_pd(refusedB) << 2);
    }
};

struct PacketsAvx {
    // The whole packet in one register; only for processors that have it (see intersect).
    struct Prepared {
        __m256d origin[3];
        __m256d direction[3];
        __m256d limit;
        int axis[3];
        int axisCount;
    };

    [[gnu::target("avx")]] static Prepared prepare(const RayAxes& r, double limit) {
        Prepared p;
        for (int i = 0; i < 3; ++i) {
            p.origin[i] = _mm256_set1_pd(r.origin[i]);
            p.direction[i] = _mm256_set1_pd(r.direction[i]);
            p.axis[i] = r.axis[i];
        }
        p.limit = _mm256_set1_pd(limit);
        p.axisCount = r.axisCount;
        return p;
    }

    [[gnu::target("avx")]] static void slab(const ChildPacket& packet, const Prepared& p, int i,
                                            __m256d& tmin, __m256d& tmax) {
        const ChildPacket::Bounds& b = packet.slab[i];
        const __m256d t1 =
            _mm256_div_pd(_mm256_sub_pd(_mm256_load_pd(b.lower), p.origin[i]), p.direction[i]);
        const __m256d t2 =
            _mm256_div_pd(_mm256_sub_pd(_mm256_load_pd(b.upper), p.origin[i]), p.direction[i]);
        tmax = _mm256_min_pd(_mm256_max_pd(t2, t1), tmax);
        tmin = _mm256_max_pd(_mm256_min_pd(t1, t2), tmin);
    }

    [[gnu::target("avx")]] static int refused(const ChildPacket& packet, const Prepared& p,
                                              double keys[kPacketWidth]) {
        __m256d tmin = _mm256_set1_pd(-kInfinity);
        __m256d tmax = p.limit;
        if (p.axisCount == 3) {
            slab(packet, p, 0, tmin, tmax);
            slab(packet, p, 1, tmin, tmax);
            slab(packet, p, 2, tmin, tmax);
        } else {
            for (int a = 0; a < p.axisCount; ++a) {
                slab(packet, p, p.axis[a], tmin, tmax);
            }
        }
        _mm256_storeu_pd(keys, tmin);
        if (p.axisCount == 0) {
            return 0;
        }
        const __m256d refused =
            _mm256_or_pd(_mm256_cmp_pd(tmin, tmax, _CMP_GT_OQ),
                         _mm256_cmp_pd(tmax, _mm256_set1_pd(kEpsilon), _CMP_LT_OQ));
        return _mm256_movemask_pd(refused);
    }
};
using PacketsDefault = PacketsSse2;
#else
struct PacketsScalar {
    struct Prepared {
        RayAxes r;
        double limit;
    };

    static Prepared prepare(const RayAxes& r, double limit) { return {r, limit}; }

    static int refused(const ChildPacket& packet, const Prepared& p, double keys[kPacketWidth]) {
        const RayAxes& r = p.r;
        int refused = 0;
        for (int k = 0; k < kPacketWidth; ++k) {
            double tmin = -kInfinity;
            double tmax = p.limit;
            for (int a = 0; a < r.axisCount; ++a) {
                const ChildPacket::Bounds& b = packet.slab[r.axis[a]];
                const double t1 = (b.lower[k] - r.origin[r.axis[a]]) / r.direction[r.axis[a]];
                const double t2 = (b.upper[k] - r.origin[r.axis[a]]) / r.direction[r.axis[a]];
                const double entry = t1 < t2 ? t1 : t2;
                const double exit = t1 < t2 ? t2 : t1;
                tmax = exit < tmax ? exit : tmax;
                tmin = entry > tmin ? entry : tmin;
            }
            keys[k] = tmin;
            if (r.axisCount != 0 && (tmin > tmax || tmax < kEpsilon)) {
                refused |= 1 << k;
            }
        }
        return refused;
    }
};
using PacketsDefault = PacketsScalar;
#endif

// intersect over the flat copy of the hierarchy; the walk over the records below is the
// same loop. Inlined into one function per kind of packet test, so that each is compiled
// for the instructions it may use.
template <class Packets>
[[gnu::always_inline]] inline int walkFlat(const FlatTree& tree, const Ray& ray, double maxDist,
                                           Hit& hit, FlatRef excluded) {
    RayAxes r = {{ray.origin.x, ray.origin.y, ray.origin.z},
                 {ray.direction.x, ray.direction.y, ray.direction.z},
                 {},
                 0};
    for (int i = 0; i < 3; ++i) {
        if (r.direction[i] != 0) {
            r.axis[r.axisCount++] = i;
        }
    }
    const typename Packets::Prepared prepared = Packets::prepare(r, maxDist);
    FlatEntry* queue = queueOfThisThread<FlatEntry>();
    queue[0] = {-std::numeric_limits<double>::infinity(), 0};
    const int size = iPQSize;
    int count = 0;
    double nearest = maxDist;
    const Object* taken = nullptr;

    double rootKey;
    if (boxAccepts(tree.root, maxDist, r.origin, r.direction, rootKey)) {
        flatInsert(rootKey, nodeRef(tree.packets.data()), queue, count, size);
    }
    while (count != 0) {
        double key;
        FlatRef ref;
        flatDelete(key, ref, queue, count);
        if (key > nearest) {
            break;
        }
        if (!isPrimitiveRef(ref)) {
            for (const ChildPacket* packet = packetsOf(ref);; ++packet) {
                double keys[kPacketWidth];
                unsigned accepted =
                    ~static_cast<unsigned>(Packets::refused(*packet, prepared, keys)) &
                    ((1u << packet->lanes) - 1);
                while (accepted != 0) {
                    const int k = __builtin_ctz(accepted);
                    accepted &= accepted - 1;
                    if (packet->ref[k] != excluded) {
                        flatInsert(keys[k], packet->ref[k], queue, count, size);
                    }
                }
                if (packet->more == 0) {
                    break;
                }
            }
        } else {
            const Object* object = primitiveOf(ref);
            Hit local;
            if (object->intersectOp(object, ray, local) != 0 && local.t < nearest) {
                nearest = local.t;
                taken = object;
                hit = local;
            }
        }
    }
    return taken != nullptr ? 1 : 0;
}

int walkFlatDefault(const FlatTree& tree, const Ray& ray, double maxDist, Hit& hit,
                    FlatRef excluded) {
    return walkFlat<PacketsDefault>(tree, ray, maxDist, hit, excluded);
}

using FlatWalk = int (*)(const FlatTree&, const Ray&, double, Hit&, FlatRef);

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx")]] int walkFlatAvx(const FlatTree& tree, const Ray& ray, double maxDist,
                                       Hit& hit, FlatRef excluded) {
    return walkFlat<PacketsAvx>(tree, ray, maxDist, hit, excluded);
}

// Both give the same answers; the wider one is faster where the processor has it.
const FlatWalk widestWalk = [] {
    __builtin_cpu_init(); // static initialisers may run before the library's own
    return __builtin_cpu_supports("avx") ? walkFlatAvx : walkFlatDefault;
}();
FlatWalk flatWalk = widestWalk;
#else
const FlatWalk widestWalk = walkFlatDefault;
FlatWalk flatWalk = walkFlatDefault;
#endif

#if QUELLIX_COUNT_RAYS
// Each thread counts its own rays and hands its count over when it ends.
std::atomic<long long> raysOfEndedThreads{0};
struct RayCount {
    long long count = 0;
    ~RayCount() { raysOfEndedThreads += count; }
};
thread_local RayCount raysOfThisThread;
#endif

} // namespace

void usePacketTest(PacketTest test) {
    flatWalk = test == PacketTest::Widest ? widestWalk : walkFlatDefault;
}

#if QUELLIX_COUNT_RAYS
long long raysTraced() {
    return raysOfEndedThreads + raysOfThisThread.count;
}
#endif

int intersect(const Ray& ray, double maxDist, Hit& hit, const Object* exclude) {
#if QUELLIX_COUNT_RAYS
    ++raysOfThisThread.count;
#endif
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

    // A bounding node to exclude (never one in a render) is left to the walk over the records.
    if (const FlatTree* flat = root->children->flat;
        flat != nullptr && flat->root == root &&
        (exclude == nullptr || exclude->kind != kBoundingNode)) {
        return flatWalk(*flat, ray, maxDist, hit, exclude != nullptr ? primitiveRef(exclude) : 0);
    }

    const double origin[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const double direction[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    QueueEntry* queue = queueOfThisThread<QueueEntry>();
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
