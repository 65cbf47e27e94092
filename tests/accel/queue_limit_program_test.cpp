#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

// The queue limit seen from the command line: both programs, default and raised -pqs.

namespace {

constexpr const char* kOutOfSpace =
    "\n\n QUELLIX is out of space...\n Please use the -pqs or --pqsize switch to increase the "
    "priority queue size\n";

// A thousand concentric spheres around the camera, radii in scrambled order. Every box
// holds the eye, so every key is negative and nothing is ever pruned; each node mixes
// large and small spheres, so opening the nodes of the large ones leaves the small ones
// waiting: far more than 127 entries at once.
std::string nestedSpheresScene() {
    std::string text = "camera { position <0 0 0> look_at <0 0 1> up <0 1 0> fov 45 ratio 1 }\n"
                       "settings { display 8 8 background 0 0 0 output_type \"ppm\" "
                       "output_name \"nested\" }\n"
                       "light { position <0 0 0> color 1 1 1 attenuation_type \"none\" }\n"
                       "surface { color 1 0 0 ambient 0.1 diffuse 0.8 }\n";
    for (int k = 0; k < 1000; ++k) {
        text += "sphere { center <0 0 0> radius " + std::to_string(k * 379 % 1000 + 1) + " }\n";
    }
    return text;
}

TEST(QueueLimitProgramTest, OverflowStopsTheRunAndARaisedSizeRendersIt) {
    struct Case {
        bool threaded;
        std::vector<std::string> extra;
        bool stops;
        int runs; // threads overflowing together must still print one message: retry
    };
    const Case cases[] = {
        {false, {}, true, 1},
        {true, {"-t", "8"}, true, 6},
        {false, {"-pqs", "5000"}, false, 1},
        {true, {"-t", "2", "--pqsize", "5000"}, false, 1},
    };
    for (const Case& c : cases) {
        for (int attempt = 0; attempt < c.runs; ++attempt) {
            std::string label = c.threaded ? "quellix-mt" : "quellix";
            for (const std::string& word : c.extra) {
                label += " " + word;
            }
            SCOPED_TRACE(label);
            TempDir dir;
            dir.write("nested.qlx", nestedSpheresScene());
            std::vector<std::string> args = {"-i", "nested.qlx"};
            args.insert(args.end(), c.extra.begin(), c.extra.end());

            RunResult run =
                runProgram(c.threaded ? quellixMtPath() : quellixPath(), args, dir.path());

            if (c.stops) {
                EXPECT_EQ(run.status, 1);
                EXPECT_EQ(run.err, kOutOfSpace);
                EXPECT_FALSE(std::filesystem::exists(dir.path() / "nested.ppm"));
            } else {
                EXPECT_EQ(run.status, 0) << run.err;
                EXPECT_EQ(run.err, "");
                EXPECT_TRUE(std::filesystem::exists(dir.path() / "nested.ppm"));
            }
        }
    }
}

} // namespace
