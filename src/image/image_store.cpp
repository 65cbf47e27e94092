#include <cstdio>
#include <string>

#include "driver/scene_state.h"
#include "image/image.h"
#include "image/image_file.h"

namespace {

struct Writer {
    const char* extension;
    int (*open)(const char* name, int width, int height);
    int (*writeLine)(unsigned char* rowPixels, int row);
    int (*close)();
};

// Indexed by iImageType.
constexpr Writer kWriters[] = {
    {".tga", openTGA, writeTGALine, closeTGA},
    {".bmp", openBMP, writeBMPLine, closeBMP},
    {".ppm", openPPM, writePPMLine, closePPM},
};
constexpr int kWriterCount = sizeof kWriters / sizeof kWriters[0];

std::string fileName;
// The writer in use while an image is open, -1 otherwise. Set before any render thread
// starts and read-only until they have all been joined.
int writerInUse = -1;

} // namespace

int openImage(const char* name, int width, int height) {
    fileName = name;
    writerInUse = -1;
    int result = -1;
    if (iImageType >= 0 && iImageType < kWriterCount) {
        const Writer& writer = kWriters[iImageType];
        fileName += writer.extension;
        result = writer.open(fileName.c_str(), width, height);
        if (result == 0) {
            writerInUse = iImageType;
        }
    }
    std::printf(" Rendering to: %s\n", fileName.c_str());
    std::printf(" Resolution:   %d x %d\n", width, height);
    return result;
}

int writeImageLine(unsigned char* rowPixels, int row) {
    if (writerInUse < 0) {
        return -1;
    }
    return kWriters[writerInUse].writeLine(rowPixels, row);
}

int closeImage() {
    if (writerInUse < 0) {
        return -1;
    }
    int writer = writerInUse;
    writerInUse = -1;
    return kWriters[writer].close();
}

const char* imageFileName() {
    return fileName.c_str();
}

void discardImage() {
    removePendingImageFile();
}
