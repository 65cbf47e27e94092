#include <cstddef>
#include <cstdlib>
#include <vector>

#include "driver/scene_state.h"
#include "render/camera.h"
#include "render/random.h"
#include "sampling/scan.h"
#include "sampling/scan_buffers.h"

namespace {

int channel(const SampleCell& cell, int c) {
    return c == 0 ? cell.red : (c == 1 ? cell.green : cell.blue);
}

// Copies a cell's flag, and its bytes only when it holds a sample.
void takeCell(SampleCell& to, const SampleCell& from) {
    if (from.sampled) {
        to = from;
    } else {
        to.sampled = 0;
    }
}

// Makes sure grid cell (gx, gy) of the pixel at (x, y) holds a sample; `colour` is where
// the sample arrives.
void fetchCorner(int gx, int gy, double x, double y, Color& colour, Ray& primary,
                 int& levelOfRecursion, SampleCell grid[5][5]) {
    SampleCell& cell = grid[gx][gy];
    if (cell.sampled) {
        return;
    }
    double sampleX;
    double sampleY;
    if (jitter) {
        // Up to an eighth of a pixel either way, so a jittered cell never crosses into
        // its neighbour's.
        const double u1 = randomUnit();
        const double u2 = randomUnit();
        sampleX = x + gx * 0.25 + u1 * 0.25 - 0.125;
        sampleY = y + gy * 0.25 + u2 * 0.25 - 0.125;
    } else {
        sampleX = x + gx * 0.25;
        sampleY = y + gy * 0.25;
    }
    scanSampler(sampleX, sampleY, primary, colour, levelOfRecursion);
    cell.red = colorToByte(colour.red);
    cell.green = colorToByte(colour.green);
    cell.blue = colorToByte(colour.blue);
    cell.sampled = 1;
}

} // namespace

void adapt(int gx, int gy, double x, double y, Color& colour, int size, Ray& primary,
           int& levelOfRecursion, SampleCell grid[5][5]) {
    fetchCorner(gx, gy, x, y, colour, primary, levelOfRecursion, grid);
    fetchCorner(gx + size, gy, x, y, colour, primary, levelOfRecursion, grid);
    fetchCorner(gx, gy + size, x, y, colour, primary, levelOfRecursion, grid);
    fetchCorner(gx + size, gy + size, x, y, colour, primary, levelOfRecursion, grid);
    const SampleCell* corners[4] = {&grid[gx][gy], &grid[gx + size][gy], &grid[gx][gy + size],
                                    &grid[gx + size][gy + size]};

    int mean[3];
    bool settled = true;
    for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (const SampleCell* corner : corners) {
            sum += channel(*corner, c);
        }
        mean[c] = sum / 4;
        for (const SampleCell* corner : corners) {
            if (std::abs(channel(*corner, c) - mean[c]) >= adapt_dist) {
                settled = false;
            }
        }
    }
    if (size == 1 || settled) {
        colour = {static_cast<double>(mean[0]), static_cast<double>(mean[1]),
                  static_cast<double>(mean[2])};
        return;
    }

    const int half = size / 2;
    const int quarters[4][2] = {{gx, gy}, {gx + half, gy}, {gx, gy + half}, {gx + half, gy + half}};
    int sum[3] = {0, 0, 0};
    for (const auto& quarter : quarters) {
        adapt(quarter[0], quarter[1], x, y, colour, half, primary, levelOfRecursion, grid);
        sum[0] += static_cast<int>(colour.red);
        sum[1] += static_cast<int>(colour.green);
        sum[2] += static_cast<int>(colour.blue);
    }
    colour = {static_cast<double>(sum[0] / 4), static_cast<double>(sum[1] / 4),
              static_cast<double>(sum[2] / 4)};
}

void scanAdaptive(int band) {
    Ray primary{};
    Color colour{};
    screenInit(primary);
    int levelOfRecursion = 0;

    const int width = scanWidth();
    std::vector<unsigned char> output;
    // Bottom-edge samples of the row last rendered: entry 4 * j + gx is cell (gx, 4) of
    // pixel j, and pixels j - 1 and j share entry 4 * j.
    std::vector<SampleCell> edge;
    if (!allocateScanBuffer(output, static_cast<std::size_t>(width) * 3) ||
        !allocateScanBuffer(edge, static_cast<std::size_t>(width) * 4 + 1)) {
        return;
    }
    SampleCell grid[5][5] = {};

    const RowBand rows = iBounds[band];
    for (int i = rows.firstRow; i < rows.endRow; ++i) {
        // Cell (0, 0) comes only from the left neighbour, so the first pixel of a row
        // samples it again.
        for (int gy = 0; gy <= 4; ++gy) {
            grid[0][gy].sampled = 0;
        }
        for (int j = 0; j < width; ++j) {
            const std::size_t base = static_cast<std::size_t>(j) * 4;
            for (int gx = 1; gx <= 4; ++gx) {
                takeCell(grid[gx][0], edge[base + gx]);
            }
            for (int gx = 1; gx <= 4; ++gx) {
                for (int gy = 1; gy <= 4; ++gy) {
                    grid[gx][gy].sampled = 0;
                }
            }

            adapt(0, 0, j, i, colour, 4, primary, levelOfRecursion, grid);
            unsigned char* pixel = &output[static_cast<std::size_t>(j) * 3];
            pixel[0] = static_cast<unsigned char>(static_cast<int>(colour.red));
            pixel[1] = static_cast<unsigned char>(static_cast<int>(colour.green));
            pixel[2] = static_cast<unsigned char>(static_cast<int>(colour.blue));

            for (int gx = 0; gx <= 4; ++gx) {
                takeCell(edge[base + gx], grid[gx][4]);
            }
            for (int gy = 0; gy <= 4; ++gy) {
                takeCell(grid[0][gy], grid[4][gy]);
            }
        }
        scanRowSink(output.data(), i);
    }
}
