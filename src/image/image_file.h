#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>

// Shared plumbing of the three writers: the output file is written under a temporary name
// in the same folder and moved over its real name only once complete, so an interrupted or
// failed run leaves the previous picture as it was. Only one image is open at a time.

// Creates the temporary file for `fileName` and returns it open for binary writing, or
// nullptr when the output cannot be created (missing folder, a folder of that name, no
// permission, name too long).
std::FILE* createImageFile(const char* fileName);

// Flushes and closes `file` and moves it over the output name. On any failure (including an
// earlier write error on `file`) prints why on standard error, removes the temporary file
// and returns -1; 0 otherwise.
int finishImageFile(std::FILE* file);

// Closes `file` and removes the temporary file; the output name is left untouched.
void abandonImageFile(std::FILE* file);

// Removes the temporary file if one exists. Async-signal-safe: only unlink() on a static
// path.
void removePendingImageFile() noexcept;

struct PictureFree {
    void operator()(unsigned char* bytes) const { std::free(bytes); }
};
using Picture = std::unique_ptr<unsigned char[], PictureFree>;

// The whole-picture buffer of width x height x 3 bytes, zeroed so rows that no scan stores
// come out black. Empty when the size does not fit in memory or cannot be allocated.
Picture allocatePicture(int width, int height);

// Red, green, blue becomes blue, green, red for each of the `width` pixels of `row`.
void swapRedBlue(unsigned char* row, int width);

inline std::size_t rowBytes(int width) {
    return static_cast<std::size_t>(width) * 3;
}
