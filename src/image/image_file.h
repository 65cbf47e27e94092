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
// come out black. Empty when the buffer, with the row buffers of up to eight scans, would
// exceed 4 GiB or the machine's memory, or when it cannot be allocated.
Picture allocatePicture(int width, int height);

// Red, green, blue becomes blue, green, red for each of the `width` pixels of `row`.
void swapRedBlue(unsigned char* row, int width);

inline std::size_t rowBytes(int width) {
    return static_cast<std::size_t>(width) * 3;
}

// What one writer holds from its open to its close: the open file, the picture and its
// size. Each writer keeps its own.
struct WriterState {
    std::FILE* fp = nullptr;
    Picture image;
    int width = 0;
    int height = 0;
};

// Creates the file, has `writeHeader` write the format's header to it and allocates the
// picture. 0, -1 when the file cannot be created, -2 when the picture cannot be allocated.
int openWriter(WriterState& state, const char* fileName, int width, int height,
               void (*writeHeader)(std::FILE* file, int width, int height));

// Copies one row of width x 3 bytes into the picture. -1 when nothing is open or the row
// lies outside the picture.
int storeRow(WriterState& state, const unsigned char* rowPixels, int row);

// Row order of a format in the file.
enum class RowOrder { TopDown, BottomUp };

// Writes every row in `order`, each followed by `padding` zero bytes (at most 3), releases
// the picture and moves the file into place (finishImageFile).
int closeWriter(WriterState& state, RowOrder order, std::size_t padding);
