#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "run_program.h"

namespace {

// Each band of quellix-mt draws from its own generator, seeded from the band index: a render
// with random features repeats byte for byte for a given thread count, however the threads
// are scheduled. (Two threads are covered by the golden pictures.)
TEST(RepeatTest, ThreadedRandomRendersRepeat) {
    struct RepeatCase {
        const char* what;
        SceneFolder folder;
        const char* scene;
        std::vector<std::string> options;
    };
    // 37 rows give bands of unequal length; 36 split evenly over 4 threads, not over 8.
    const std::vector<RepeatCase> cases = {
        {"jitter, soft shadow, lens, fuzzy mirror, adaptive",
         SceneFolder::Golden,
         "random_mix.qlx",
         {"-r", "48", "37"}},
        {"jitter and soft shadows, corners",
         SceneFolder::Examples,
         "lights.qlx",
         {"-r", "48", "36", "-j", "-aaq"}},
        {"jitter and soft shadows, plain",
         SceneFolder::Examples,
         "showcase.qlx",
         {"-r", "48", "36", "-j", "-aan"}},
    };
    for (const RepeatCase& test : cases) {
        for (const char* threads : {"4", "8"}) {
            SCOPED_TRACE(std::string(test.what) + ", " + threads + " threads");
            TempDir dir;
            stageScene(test.folder, test.scene, dir.path());
            std::string pictures[2];
            for (int run = 0; run < 2; ++run) {
                std::vector<std::string> args = {"-i", test.scene, "-t", threads};
                args.insert(args.end(), test.options.begin(), test.options.end());
                const std::string name = "run" + std::to_string(run);
                args.insert(args.end(), {"-o", name, "-ppm"});
                const RunResult result = runProgram(quellixMtPath(), args, dir.path());
                ASSERT_EQ(result.status, 0) << result.out << result.err;
                pictures[run] = dir.read(name + ".ppm");
            }
            ASSERT_FALSE(pictures[0].empty());
            const std::size_t offset = firstDifference(pictures[1], pictures[0]);
            EXPECT_TRUE(pictures[1] == pictures[0])
                << "second run differs at byte " << offset << pixelAt(pictures[0], ".ppm", offset);
        }
    }
}

} // namespace
