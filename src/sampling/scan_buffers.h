#pragma once

#include <cstddef>
#include <cstdio>
#include <new>
#include <vector>

#include "driver/scene_state.h"

// Buffers a scan owns for the length of its band, and the image width they are sized by.

// A negative width (no range check is made on it) renders nothing instead of wrapping.
inline int scanWidth() {
    return myDisplay.width > 0 ? myDisplay.width : 0;
}

// Sizes `buffer` to `count` zeroed entries. On failure reports it and returns false; the
// caller then leaves its band unrendered.
template <class T> bool allocateScanBuffer(std::vector<T>& buffer, std::size_t count) {
    try {
        buffer.assign(count, T{});
        return true;
    } catch (const std::bad_alloc&) {
        std::puts("Memory alloction failed.");
        return false;
    }
}
