#include <cstddef>
#include <utility>
#include <vector>

#include "driver/progress.h"
#include "driver/scene_state.h"
#include "image/image.h"
#include "render/camera.h"
#include "render/random.h"
#include "sampling/scan.h"
#include "sampling/scan_buffers.h"

void shootSample(double x, double y, Ray& primary, Color& colour, int& levelOfRecursion) {
    initRay(x, y, primary);
    shoot(primary, colour, levelOfRecursion);
}

void storeRow(unsigned char* rowPixels, int row) {
    writeImageLine(rowPixels, row);
    showProgress(row);
}

SampleFn scanSampler = shootSample;
RowSinkFn scanRowSink = storeRow;

unsigned char colorToByte(double channel) {
    const double level = channel * 255.0;
    // Clamped while still a double: converting a NaN or an out-of-range value to int is
    // undefined. Truncation toward zero leaves (0, 255) inside 0..254.
    if (!(level > 0.0)) {
        return 0;
    }
    if (level >= 255.0) {
        return 255;
    }
    return static_cast<unsigned char>(static_cast<int>(level));
}

namespace {

// One sample for column j of row i: the pixel's centre, or with jitter a random point of
// the pixel square.
void samplePixel(int j, int i, Ray& primary, Color& colour, int& levelOfRecursion) {
    double x;
    double y;
    if (jitter) {
        const double u1 = randomUnit();
        const double u2 = randomUnit();
        x = j + u1;
        y = i + u2;
    } else {
        x = j + 0.5;
        y = i + 0.5;
    }
    scanSampler(x, y, primary, colour, levelOfRecursion);
}

void storeBytes(const Color& colour, unsigned char* pixel) {
    pixel[0] = colorToByte(colour.red);
    pixel[1] = colorToByte(colour.green);
    pixel[2] = colorToByte(colour.blue);
}

} // namespace

void scanNone(int band) {
    Ray primary{};
    Color colour{};
    screenInit(primary);
    int levelOfRecursion = 0;

    const int width = scanWidth();
    std::vector<unsigned char> row;
    if (!allocateScanBuffer(row, static_cast<std::size_t>(width) * 3)) {
        return;
    }

    const RowBand rows = iBounds[band];
    for (int i = rows.firstRow; i < rows.endRow; ++i) {
        // Every byte is rewritten: the sink may have reordered the buffer in place.
        for (int j = 0; j < width; ++j) {
            samplePixel(j, i, primary, colour, levelOfRecursion);
            storeBytes(colour, &row[static_cast<std::size_t>(j) * 3]);
        }
        scanRowSink(row.data(), i);
    }
}

void scanCorners(int band) {
    Ray primary{};
    Color colour{};
    screenInit(primary);
    int levelOfRecursion = 0;

    const int width = scanWidth();
    const std::size_t sampleBytes = (static_cast<std::size_t>(width) + 1) * 3;
    std::vector<unsigned char> previous;
    std::vector<unsigned char> current;
    std::vector<unsigned char> output;
    if (!allocateScanBuffer(previous, sampleBytes) || !allocateScanBuffer(current, sampleBytes) ||
        !allocateScanBuffer(output, static_cast<std::size_t>(width) * 3)) {
        return;
    }

    // Sample row i, one sample per pixel corner column: the last lies half a pixel beyond
    // the right edge.
    auto sampleRow = [&](int i, std::vector<unsigned char>& samples) {
        for (int j = 0; j <= width; ++j) {
            samplePixel(j, i, primary, colour, levelOfRecursion);
            storeBytes(colour, &samples[static_cast<std::size_t>(j) * 3]);
        }
    };

    const RowBand rows = iBounds[band];
    if (rows.firstRow >= rows.endRow) {
        return;
    }
    // The row above the band primes the previous samples, so the band's first row gets
    // its pixels too, the same ones a single band would give it.
    sampleRow(rows.firstRow - 1, previous);
    for (int i = rows.firstRow; i < rows.endRow; ++i) {
        sampleRow(i, current);
        for (std::size_t k = 0; k < output.size(); ++k) {
            const int sum = previous[k] + previous[k + 3] + current[k] + current[k + 3];
            output[k] = static_cast<unsigned char>(sum / 4);
        }
        scanRowSink(output.data(), i);
        std::swap(previous, current);
    }
}
