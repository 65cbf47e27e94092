#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../driver/driver_texts.h"
#include "run_program.h"

// Bad input seen from the command line: each case runs through both programs and must end
// with its exact message and status, never with a crash, a hang or a stray file.

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kCamera = "camera { position <0 -6 2> look_at <0 0 1> }\n";
const std::string kSettings =
    "settings { display 32 24 output_type \"ppm\" output_name \"pic\" }\n";
const std::string kRest = "light { position <-3 -5 6> color 1 1 1 }\n"
                          "surface { color 0.9 0.2 0.1 ambient 0.2 diffuse 0.7 }\n"
                          "sphere { center <0 0 1> radius 1 }\n";
const std::string kScene = kCamera + kSettings + kRest;

const std::string kParse = "\n Parsing scene.qlx"
                           "\n\n Number of sphere(s):\t\t1\n"
                           " Number of ring(s):\t\t0\n"
                           " Number of plane(s):\t\t0\n"
                           " Number of cone(s):\t\t0\n"
                           " Number of cylinder(s):\t\t0\n"
                           " Number of disc(s):\t\t0\n"
                           " Number of polygon(s):\t\t0\n"
                           " Number of triangle(s):\t\t0\n"
                           " Number of patch(es):\t\t0\n"
                           " Number of surface(s):\t\t1\n"
                           " Number of light(s):\t\t1\n"
                           "\n Number of primitives:\t\t1\n\n";
const std::string kEightThreadLines =
    " Multi-threaded version of QUELLIX running.\n\n Running 8 threads\n";

std::string parserError(int line, const std::string& message) {
    return "\n Parser Error - line: " + std::to_string(line) + " - " + message + "\n";
}

std::string stoppedOn(const std::string& character, int line) {
    return "\n Syntaxic analyser stopped on character: '" + character +
           "'\n Please review the script\n Parser Error - line: " + std::to_string(line) + "\n";
}

std::set<std::string> namesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Files of a case: a name ending in '/' is made a folder.
using Files = std::map<std::string, std::string>;

struct BadSceneCase {
    const char* what;
    Files files;
    std::vector<std::string> args;
    std::string out; // after the banner
};

// Scene text the reader refuses: a message with the line, status 255, no file written.
// Two files that include each other: 64 levels of includes below the first, then the stop.
std::string cyclicIncludeOutput() {
    std::string text;
    for (int level = 0; level <= 64; ++level) {
        text += level % 2 == 0 ? "\n Parsing a.qlx" : "\n Parsing b.qlx";
    }
    return text + "\n Parser Error - line: 1 -  include nesting too deep\n";
}

TEST(BadInputTest, ScenesThatCannotBeReadStopWithTheirMessage) {
    const std::string parsing = "\n Parsing scene.qlx";
    const std::vector<BadSceneCase> cases = {
        {"a NUL byte", {{"scene.qlx", "\0"s}}, {}, parsing + stoppedOn({'\0'}, 1)},
        {"a NUL byte inside a block",
         {{"scene.qlx", kCamera + "settings {\n display 4\0 3 }"s}},
         {},
         parsing + stoppedOn({'\0'}, 3)},
        {"binary bytes",
         {{"scene.qlx", kCamera + "\n\xff\xfe\x01"}},
         {},
         parsing + stoppedOn("\xff", 3)},
        {"a scene name naming a folder",
         {{"folder/", ""}},
         {"-i", "folder"},
         "\n Scene file: folder could no be opened\n"},
        {"an include naming a folder",
         {{"scene.qlx", kCamera + "include \"folder\"\n" + kSettings}, {"folder/", ""}},
         {},
         parsing + "\n Scene file: folder could no be opened\n"},
        {"an include naming the parent folder",
         {{"scene.qlx", "include \"..\"\n"}},
         {},
         parsing + "\n Scene file: .. could no be opened\n"},
        {"files that include each other",
         {{"a.qlx", "include \"b.qlx\"\n" + kScene}, {"b.qlx", "include \"a.qlx\"\n"}},
         {"-i", "a.qlx"},
         cyclicIncludeOutput()},
        {"a decimal beyond a double",
         {{"scene.qlx", kCamera + "sphere { center <0 0 0> radius 1e999 }"}},
         {},
         parsing + parserError(2, " number out of range")},
        {"a negative decimal beyond a double",
         {{"scene.qlx", "\n\nsphere { center <0 -1e400 0> radius 1 }"}},
         {},
         parsing + parserError(3, " number out of range")},
        {"a decimal too small for a double is 0",
         {{"scene.qlx", "sphere { center <0 0 0> radius 1e-400 }"}},
         {},
         parsing + parserError(1, " sphere radius must be greater than 0")},
        {"an integer beyond an int",
         {{"scene.qlx", kCamera + "settings { display 3000000000 2 }"}},
         {},
         parsing + parserError(2, " number out of range")},
        {"an enormous vertex count",
         {{"scene.qlx",
           "polygon { 2147483647 vertex <0 0 0> vertex <1 0 0> vertex <1 1 0> vertex <0 1 0> }"}},
         {},
         parsing + parserError(1, " Too few vertices in polygon structure")},
        {"a vertex count beyond an int",
         {{"scene.qlx", "polygon { 99999999999 vertex <0 0 0> }"}},
         {},
         parsing + parserError(1, " number out of range")},
        {"an unterminated comment",
         {{"scene.qlx", kCamera + "[ never closed\n\n"}},
         {},
         parsing + parserError(4, " unterminated comment")},
        {"a word too long",
         {{"scene.qlx", std::string(300, 'w')}},
         {},
         parsing + parserError(1, " token too long")},
    };
    for (const BadSceneCase& test : cases) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(test.what) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            std::set<std::string> before;
            for (const auto& [name, text] : test.files) {
                if (name.back() == '/') {
                    fs::create_directory(dir.path() / name);
                    before.insert(name.substr(0, name.size() - 1));
                } else {
                    dir.write(name, text);
                    before.insert(name);
                }
            }
            std::vector<std::string> args = test.args;
            if (args.empty()) {
                args = {"-i", "scene.qlx"};
            }
            const RunResult result =
                runProgram(threaded ? quellixMtPath() : quellixPath(), args, dir.path());
            EXPECT_EQ(result.out, bannerText(threaded) + test.out);
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(result.status, 255);
            EXPECT_EQ(namesIn(dir.path()), before);
        }
    }
}

struct HugePictureCase {
    const char* what;
    std::string settings;
    std::vector<std::string> options;
    std::string fileName;
    std::string size;       // as the resolution line prints it
    bool tooLargeForMemory; // else refused by the format's header
};

// A picture too large to keep in memory, or to describe in its header, is refused at once,
// before any row is rendered: never hours of work and a kill by the out-of-memory killer.
TEST(BadInputTest, HugePicturesAreRefusedAtOnce) {
    const std::string ppm = "settings { output_type \"ppm\" output_name \"pic\" }\n";
    const std::vector<HugePictureCase> cases = {
        {"-r 100000 100000, PPM",
         ppm,
         {"-r", "100000", "100000"},
         "pic.ppm",
         "100000 x 100000",
         true},
        {"-r 100000 100000, BMP",
         ppm,
         {"-r", "100000", "100000", "-bmp"},
         "pic.bmp",
         "100000 x 100000",
         false},
        {"-r 100000 100000, TGA",
         ppm,
         {"-r", "100000", "100000", "-tga"},
         "pic.tga",
         "100000 x 100000",
         false},
        {"display 100000 100000 in the scene",
         "settings { display 100000 100000 output_type \"ppm\" output_name \"pic\" }\n",
         {},
         "pic.ppm",
         "100000 x 100000",
         true},
        {"the largest sizes",
         ppm,
         {"-r", "2147483647", "2147483640"},
         "pic.ppm",
         "2147483647 x 2147483640",
         true},
        // 3 bytes a pixel: just over 4 GiB, although each side alone is modest, and PPM has no
        // header limit.
        {"just over 4 GiB of picture",
         ppm,
         {"-w", "65536", "-h", "21848"},
         "pic.ppm",
         "65536 x 21848",
         true},
        // 3.84 GB of picture, but the render threads' rows of 60 MB each would pass 4 GiB.
        {"a picture too wide for the rows of its scans",
         ppm,
         {"-r", "20000000", "64"},
         "pic.ppm",
         "20000000 x 64",
         true},
    };
    for (const HugePictureCase& test : cases) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(test.what) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            dir.write("scene.qlx", kCamera + test.settings + kRest);
            dir.write(test.fileName, "previous");
            std::vector<std::string> args = {"-i", "scene.qlx"};
            args.insert(args.end(), test.options.begin(), test.options.end());
            if (threaded) {
                args.insert(args.end(), {"-t", "8"}); // band bounds of the largest heights
            }
            const RunResult result =
                runProgram(threaded ? quellixMtPath() : quellixPath(), args, dir.path());

            std::string expected =
                bannerText(threaded) + kParse + (threaded ? kEightThreadLines : "") +
                " Rendering to: " + test.fileName + "\n Resolution:   " + test.size + "\n";
            if (test.tooLargeForMemory) {
                EXPECT_EQ(result.out, expected);
                EXPECT_EQ(result.err,
                          "\n Not enough memory for a picture of " + test.size + " pixels\n");
                EXPECT_EQ(result.status, 1);
            } else {
                EXPECT_EQ(result.out, expected + "\n Output file: " + test.fileName +
                                          " could not be created\n");
                EXPECT_EQ(result.err, "");
                EXPECT_EQ(result.status, 255);
            }
            EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"scene.qlx", test.fileName}));
            EXPECT_EQ(dir.read(test.fileName), "previous");
        }
    }
}

// Places no picture can be created in (a missing folder and a folder of the picture's name
// are the driver's own cases): nothing is rendered and nothing is left behind.
TEST(BadInputTest, OutputsInPlacesThatCannotTakeAPicture) {
    struct OutputCase {
        const char* what;
        std::string output;
    };
    const std::vector<OutputCase> cases = {
        {"a folder that cannot be written", "/proc/quellix-picture"},
        {"a file used as a folder", "scene.qlx/pic"},
        {"a name too long for the file system", std::string(255, 'p')},
    };
    for (const OutputCase& test : cases) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(test.what) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            dir.write("scene.qlx", kScene);
            std::vector<std::string> args = {"-i", "scene.qlx", "-o", test.output};
            if (threaded) {
                args.insert(args.end(), {"-t", "8"});
            }
            const RunResult result =
                runProgram(threaded ? quellixMtPath() : quellixPath(), args, dir.path());
            const std::string fileName = test.output + ".ppm";
            EXPECT_EQ(result.out, bannerText(threaded) + kParse +
                                      (threaded ? kEightThreadLines : "") +
                                      " Rendering to: " + fileName +
                                      "\n Resolution:   32 x 24\n\n Output file: " + fileName +
                                      " could not be created\n");
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(result.status, 255);
            EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"scene.qlx"});
        }
    }
}

// A thousand concentric spheres around the eye overflow a small traversal queue.
std::string nestedSpheresScene(const std::string& outputType) {
    std::string text = "camera { position <0 0 0> look_at <0 0 1> up <0 1 0> }\n"
                       "settings { display 8 8 output_type \"" +
                       outputType +
                       "\" output_name \"pic\" }\n"
                       "light { position <0 0 0> color 1 1 1 }\n"
                       "surface { color 1 0 0 ambient 0.1 diffuse 0.8 }\n";
    for (int k = 0; k < 1000; ++k) {
        text += "sphere { center <0 0 0> radius " + std::to_string(k * 379 % 1000 + 1) + " }\n";
    }
    return text;
}

// The out-of-space stop ends the run with status 1 and leaves the folder as it was.
TEST(BadInputTest, QueueTooSmallKeepsThePreviousPictureAndLeavesNoTemporaryFile) {
    for (const char* type : {"ppm", "bmp", "tga"}) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(type) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            dir.write("scene.qlx", nestedSpheresScene(type));
            const std::string picture = std::string("pic.") + type;
            dir.write(picture, "previous");
            const RunResult result = runProgram(threaded ? quellixMtPath() : quellixPath(),
                                                {"-i", "scene.qlx", "-pqs", "101"}, dir.path());
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, "\n\n QUELLIX is out of space...\n Please use the -pqs or "
                                  "--pqsize switch to increase the priority queue size\n");
            EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"scene.qlx", picture}));
            EXPECT_EQ(dir.read(picture), "previous");
        }
    }
}

} // namespace
