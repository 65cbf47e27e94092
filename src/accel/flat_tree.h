#pragma once

#include <cstdint>
#include <vector>

#include "geometry/object.h"

// A flat copy of a finished bounding hierarchy, made for the traversal: every node's
// children in list order with their boxes side by side in packets, so that one pass over
// a packet tests several boxes and the walk never chases the records' list links. The
// records stay the reference; the copy only mirrors them.

inline constexpr int kPacketWidth = 4;

// What the queue holds for one child: the address of the first packet of a node's
// children, or the address of a primitive record with the low bit set.
using FlatRef = std::uintptr_t;

struct alignas(64) ChildPacket {
    struct Bounds {
        double lower[kPacketWidth]; // one child's box per lane
        double upper[kPacketWidth];
    } slab[3]; // per Slab direction
    FlatRef ref[kPacketWidth];
    int lanes; // children in this packet, from lane 0
    int more;  // 1 when the node's next packet follows
};

struct FlatTree {
    const Object* root;
    std::vector<ChildPacket> packets; // the root's first
};

inline FlatRef nodeRef(const ChildPacket* first) {
    return reinterpret_cast<FlatRef>(first);
}
inline FlatRef primitiveRef(const Object* object) {
    return reinterpret_cast<FlatRef>(object) | 1;
}
inline bool isPrimitiveRef(FlatRef ref) {
    return (ref & 1) != 0;
}
inline const Object* primitiveOf(FlatRef ref) {
    return reinterpret_cast<const Object*>(ref & ~FlatRef{1});
}
inline const ChildPacket* packetsOf(FlatRef ref) {
    return reinterpret_cast<const ChildPacket*>(ref);
}

// Makes the flat copy of the hierarchy under `root` (a bounding node) and hangs it on the
// root's child list, replacing any copy made before. Without the memory for it nothing
// is hung and the traversal walks the records.
void flattenHierarchy(Object* root);

// The box test the walk uses: the widest the processor has (the default), or the baseline
// of the build target. Both give the same answers; tests compare them.
enum class PacketTest { Widest, Baseline };
void usePacketTest(PacketTest test);
