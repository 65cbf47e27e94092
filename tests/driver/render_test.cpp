#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "driver_texts.h"
#include "run_program.h"

namespace {

// Deterministic: no jitter, sharp shadows, no lens, so every thread count gives the same
// picture.
const std::string kScene = "camera { position <0 -6 2> look_at <0 0 1> }\n"
                           "settings { display 32 24 output_type \"ppm\" output_name \"pic\"\n"
                           "  background 0.2 0.3 0.8 }\n"
                           "light { position <-3 -5 6> color 1 1 1 }\n"
                           "surface { color 0.9 0.2 0.1 ambient 0.2 diffuse 0.7 specular 0.5\n"
                           "  roughness 20 }\n"
                           "sphere { center <0 0 1> radius 1 }\n"
                           "surface { color 0.8 0.8 0.8 ambient 0.1 diffuse 0.8 }\n"
                           "plane { normal <0 0 1> distance 0 }\n";

const std::string kParse = "\n Parsing scene.qlx"
                           "\n\n Number of sphere(s):\t\t1\n"
                           " Number of ring(s):\t\t0\n"
                           " Number of plane(s):\t\t1\n"
                           " Number of cone(s):\t\t0\n"
                           " Number of cylinder(s):\t\t0\n"
                           " Number of disc(s):\t\t0\n"
                           " Number of polygon(s):\t\t0\n"
                           " Number of triangle(s):\t\t0\n"
                           " Number of patch(es):\t\t0\n"
                           " Number of surface(s):\t\t2\n"
                           " Number of light(s):\t\t1\n"
                           "\n Number of primitives:\t\t2\n\n";

const std::string kIncompatible =
    " Warning the height and the number of threads are incompatible.\n"
    " The number of threads must be a multiplier of the height.\n";

// The processor time differs from run to run; everything else must not.
std::string withoutTime(const std::string& out) {
    static const std::regex time("Rendering time: [ 0-9]+\\.[0-9]{2} second");
    return std::regex_replace(out, time, "Rendering time: #.## second");
}

std::string progressText(int hyphens, int marks) {
    std::string text = "\n 0%" + std::string(hyphens, '-') + "100%\n ";
    for (int k = 0; k < marks; ++k) {
        text += std::string(6, '\xB1');
    }
    return text;
}

struct RunCase {
    const char* what;
    bool threaded;
    std::vector<std::string> args; // after "-i scene.qlx"
    std::string beforeParse;       // messages of the first pass
    std::string threadLines;       // band messages of quellix-mt
    std::string picture;           // file name
    int width;
    int height;
    int hyphens;
    int marks;
};

std::string expectedRun(const RunCase& test) {
    std::string out = bannerText(test.threaded) + test.beforeParse + kParse;
    // The second pass repeats the option messages after the scene.
    out.insert(out.size() - std::string("\n Number of primitives:\t\t2\n\n").size(),
               test.beforeParse);
    if (test.threaded) {
        out += " Multi-threaded version of QUELLIX running.\n\n" + test.threadLines;
    }
    out += " Rendering to: " + test.picture + "\n";
    out +=
        " Resolution:   " + std::to_string(test.width) + " x " + std::to_string(test.height) + "\n";
    out += progressText(test.hyphens, test.marks);
    out += "\n\n Rendering time: #.## second(s)\n";
    return out;
}

const std::vector<RunCase> kRunCases = {
    {"scene settings", false, {}, "", "", "pic.ppm", 32, 24, 60, 12},
    {"H = 240", false, {"-r", "4", "240"}, "", "", "pic.ppm", 4, 240, 54, 10},
    {"H = 250", false, {"-h", "250", "-w", "4"}, "", "", "pic.ppm", 4, 250, 54, 10},
    {"H = 255", false, {"--resolution", "4", "255"}, "", "", "pic.ppm", 4, 255, 60, 11},
    {"H below 10", false, {"--height", "7"}, "", "", "pic.ppm", 32, 7, 60, 7},
    {"width with atoi rules", false, {"-w", " 12px"}, "", "", "pic.ppm", 12, 24, 60, 12},
    {"-o and type from the command line",
     false,
     {"-o", "-dash", "--bmp"},
     "",
     "",
     "-dash.bmp",
     32,
     24,
     60,
     12},
    {"-pqs 100 twice", false, {"-pqs", "100"}, kSmallQueue, "", "pic.ppm", 32, 24, 60, 12},
    {"-pqs 101 silent", false, {"-pqs", "101", "-tga"}, "", "", "pic.tga", 32, 24, 60, 12},
    {"2 threads by default", true, {}, "", " Running 2 threads\n", "pic.ppm", 32, 24, 60, 12},
    {"8 threads, H = 240",
     true,
     {"-t", "8", "-r", "4", "240"},
     "",
     " Running 8 threads\n",
     "pic.ppm",
     4,
     240,
     54,
     10},
    {"8 threads, H = 100",
     true,
     {"--thread", "8", "-r", "4", "100"},
     "",
     kIncompatible + " Running 8 threads\n",
     "pic.ppm",
     4,
     100,
     54,
     10},
    {"4 threads, H = 255",
     true,
     {"-t", "4", "-r", "4", "255"},
     "",
     kIncompatible + " Running 4 threads\n",
     "pic.ppm",
     4,
     255,
     60,
     11},
    {"2 threads, odd H below 10",
     true,
     {"-h", "7"},
     "",
     kIncompatible + " Running 2 threads\n",
     "pic.ppm",
     32,
     7,
     60,
     7},
    {"-t 3 twice, then 2 threads",
     true,
     {"-t", "3"},
     kBadThreads,
     " Running 2 threads\n",
     "pic.ppm",
     32,
     24,
     60,
     12},
};

TEST(RenderRunTest, PrintsTheWholeRun) {
    for (const RunCase& test : kRunCases) {
        SCOPED_TRACE(std::string(test.what) + (test.threaded ? " (quellix-mt)" : " (quellix)"));
        TempDir dir;
        dir.write("scene.qlx", kScene);
        std::vector<std::string> args = {"-i", "scene.qlx"};
        args.insert(args.end(), test.args.begin(), test.args.end());
        const RunResult result =
            runProgram(test.threaded ? quellixMtPath() : quellixPath(), args, dir.path());
        EXPECT_EQ(withoutTime(result.out), expectedRun(test));
        EXPECT_EQ(result.err, "");
        ASSERT_EQ(result.status, 0);
        // The picture and nothing else beside the scene: no temporary file left over.
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.insert(entry.path().filename().string());
        }
        EXPECT_EQ(names, (std::set<std::string>{"scene.qlx", test.picture}));
    }
}

TEST(RenderRunTest, WritesTheChosenFormat) {
    struct FormatCase {
        std::string option;
        std::string name;
        std::string start;
        std::size_t size;
    };
    // 5 x 3 pixels: BMP rows are padded to 16 bytes.
    const std::vector<FormatCase> cases = {
        {"-ppm", "pic.ppm", std::string("P6\n5 3\n255\n"), 11 + 45},
        {"-bmp", "pic.bmp", "BM", 54 + 3 * 16},
        {"-tga", "pic.tga", std::string("\0\0\2", 3), 18 + 45},
    };
    for (const FormatCase& test : cases) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(test.option + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            dir.write("scene.qlx", kScene);
            const RunResult result =
                runProgram(threaded ? quellixMtPath() : quellixPath(),
                           {"-i", "scene.qlx", "-r", "5", "3", test.option}, dir.path());
            ASSERT_EQ(result.status, 0) << result.out << result.err;
            const std::string picture = dir.read(test.name);
            EXPECT_EQ(picture.size(), test.size);
            EXPECT_EQ(picture.substr(0, test.start.size()), test.start);
        }
    }
}

// Bands must cover every row exactly once, whatever the split.
TEST(RenderRunTest, SamePictureForEveryThreadCount) {
    for (const char* mode : {"-aan", "-aaq", "-aaa"}) {
        for (int height : {24, 13, 9}) {
            SCOPED_TRACE(std::string(mode) + ", H = " + std::to_string(height));
            TempDir dir;
            dir.write("scene.qlx", kScene);
            std::vector<std::string> common = {
                "-i", "scene.qlx", "-r", "20", std::to_string(height), mode};
            if (std::string(mode) == "-aaa") {
                common.push_back("8");
            }
            auto render = [&](const std::string& program, std::vector<std::string> extra,
                              const std::string& name) {
                std::vector<std::string> args = common;
                args.insert(args.end(), extra.begin(), extra.end());
                args.insert(args.end(), {"-o", name});
                const RunResult result = runProgram(program, args, dir.path());
                EXPECT_EQ(result.status, 0) << result.out << result.err;
                return dir.read(name + ".ppm");
            };
            const std::string single = render(quellixPath(), {}, "single");
            ASSERT_EQ(single.size(),
                      std::string("P6\n20 " + std::to_string(height) + "\n255\n").size() +
                          20u * height * 3);
            for (const char* threads : {"2", "4", "8"}) {
                SCOPED_TRACE(std::string(threads) + " threads");
                EXPECT_TRUE(render(quellixMtPath(), {"-t", threads}, std::string("mt") + threads) ==
                            single);
            }
        }
    }
}

TEST(RenderRunTest, RefusesAnOutputThatCannotBeCreated) {
    struct OutputCase {
        const char* what;
        std::string output;
        std::string fileName;
    };
    const std::vector<OutputCase> cases = {
        {"missing folder", "nodir/pic", "nodir/pic.ppm"},
        {"a folder of the picture's name", "taken", "taken.ppm"},
    };
    for (const OutputCase& test : cases) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(test.what) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            dir.write("scene.qlx", kScene);
            std::filesystem::create_directory(dir.path() / "taken.ppm");
            const RunResult result = runProgram(threaded ? quellixMtPath() : quellixPath(),
                                                {"-i", "scene.qlx", "-o", test.output}, dir.path());
            std::string expected = bannerText(threaded) + kParse;
            if (threaded) {
                expected += " Multi-threaded version of QUELLIX running.\n\n Running 2 threads\n";
            }
            expected += " Rendering to: " + test.fileName + "\n Resolution:   32 x 24\n" +
                        "\n Output file: " + test.fileName + " could not be created\n";
            EXPECT_EQ(result.out, expected);
            EXPECT_EQ(result.status, 255);
            std::set<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
                names.insert(entry.path().filename().string());
            }
            EXPECT_EQ(names, (std::set<std::string>{"scene.qlx", "taken.ppm"}));
            EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "taken.ppm"));
        }
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                         \
    __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Address space limited to 400 MB: a thread stack of 1 GB or a picture of 1.2 GB cannot be
// had, and the run must stop with status 1, leaving no file behind.
TEST(RenderRunTest, StopsWhenResourcesRunOut) {
    if (kSanitized) {
        GTEST_SKIP() << "sanitizers need an unlimited address space";
    }
    struct LimitCase {
        const char* what;
        bool threaded;
        std::string limits;
        std::string options;
        std::string outTail;
        std::string err;
    };
    const std::vector<LimitCase> cases = {
        {"no thread can be created", true, "ulimit -s 1048576; ulimit -v 400000", "",
         " Rendering to: pic.ppm\n Resolution:   32 x 24\n" + progressText(60, 0) +
             " Thread creation failed!!\n\n",
         ""},
        {"no picture buffer (quellix)", false, "ulimit -v 400000", "-r 20000 20000",
         " Rendering to: pic.ppm\n Resolution:   20000 x 20000\n",
         "\n Not enough memory for a picture of 20000 x 20000 pixels\n"},
        {"no picture buffer (quellix-mt)", true, "ulimit -v 400000", "-r 20000 20000",
         " Rendering to: pic.ppm\n Resolution:   20000 x 20000\n",
         "\n Not enough memory for a picture of 20000 x 20000 pixels\n"},
    };
    for (const LimitCase& test : cases) {
        SCOPED_TRACE(test.what);
        TempDir dir;
        dir.write("scene.qlx", kScene);
        const std::string program = test.threaded ? quellixMtPath() : quellixPath();
        const RunResult result = runProgram(
            "/bin/sh", {"-c", test.limits + "; exec \"$0\" -i scene.qlx " + test.options, program},
            dir.path());
        std::string expected = bannerText(test.threaded) + kParse;
        if (test.threaded) {
            expected += " Multi-threaded version of QUELLIX running.\n\n Running 2 threads\n";
        }
        EXPECT_EQ(result.out, expected + test.outTail);
        EXPECT_EQ(result.err, test.err);
        EXPECT_EQ(result.status, 1);
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(names, std::vector<std::string>{"scene.qlx"});
    }
}

} // namespace
