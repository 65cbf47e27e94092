#include "accel/flat_tree.h"

#include <cstddef>
#include <memory>
#include <new>

namespace {

// The copy of the last hierarchy built; the records of older ones are gone by then.
std::unique_ptr<FlatTree> current;

std::size_t packetsFor(int count) {
    return (static_cast<std::size_t>(count) + kPacketWidth - 1) / kPacketWidth;
}

// Nodes are laid out in the order a queue of them is processed, the root first; a node
// without children keeps one empty packet.
void fill(FlatTree& tree, Object* root) {
    std::vector<const Object*> nodes;
    std::vector<std::size_t> firstPacket;
    std::size_t packetCount = 0;
    nodes.push_back(root);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        int count = 0;
        for (const Object* child = nodes[k]->children->first; child != nullptr;
             child = child->next) {
            if (child->kind == kBoundingNode) {
                nodes.push_back(child);
            }
            ++count;
        }
        firstPacket.push_back(packetCount);
        packetCount += count == 0 ? 1 : packetsFor(count);
    }

    tree.root = root;
    tree.packets.resize(packetCount);
    std::size_t nextNode = 1;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        ChildPacket* packet = &tree.packets[firstPacket[k]];
        int lane = 0;
        for (const Object* child = nodes[k]->children->first; child != nullptr;
             child = child->next) {
            if (lane == kPacketWidth) {
                packet->more = 1;
                ++packet;
                lane = 0;
            }
            for (int i = 0; i < 3; ++i) {
                packet->slab[i].lower[lane] = child->lowerExtent[i];
                packet->slab[i].upper[lane] = child->upperExtent[i];
            }
            if (child->kind == kBoundingNode) {
                packet->ref[lane] = nodeRef(&tree.packets[firstPacket[nextNode]]);
                ++nextNode;
            } else {
                packet->ref[lane] = primitiveRef(child);
            }
            ++lane;
            packet->lanes = lane;
        }
    }
}

} // namespace

void flattenHierarchy(Object* root) {
    root->children->flat = nullptr;
    current.reset();
    try {
        auto tree = std::make_unique<FlatTree>();
        fill(*tree, root);
        current = std::move(tree);
        root->children->flat = current.get();
    } catch (const std::bad_alloc&) {
        // The walk over the records needs no more memory than it had.
    }
}
