#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "run_program.h"

// Golden pictures: tiny renders whose bytes are committed under tests/golden/, with the
// standard output of each run (time masked). Any change to a single byte of a picture fails
// here, so work that must not change pictures (speed work above all) is checked against them.
// Deliberate picture changes regenerate the files with scripts/update-golden, which runs this
// test with QUELLIX_UPDATE_GOLDEN set.

namespace fs = std::filesystem;

namespace {

struct GoldenCase {
    const char* name; // output name, and the stem of the golden files
    SceneFolder folder;
    const char* scene;
    std::vector<std::string> options; // between "-i scene" and "-o name"
    bool threaded;                    // rendered by quellix-mt (options give "-t")
    // No random feature: quellix-mt with 2, 4 and 8 threads must write the same bytes too.
    bool deterministic;
};

using F = SceneFolder;

const std::vector<GoldenCase> kCases = {
    // Every primitive kind; include and declare. 37 rows split unevenly over 4 and 8 bands.
    {"shapes", F::Golden, "shapes.qlx", {"-r", "49", "37"}, false, true},
    {"shapes_tga", F::Golden, "shapes.qlx", {"-r", "49", "37", "-tga"}, false, true},
    {"shapes_bmp", F::Golden, "shapes.qlx", {"-r", "49", "37", "-bmp"}, false, true},
    {"primitives", F::Examples, "primitives.qlx", {"-r", "64", "32", "-tga"}, false, true},
    // Lights and hard shadows.
    {"point_lights", F::Golden, "point_lights.qlx", {"-bmp"}, false, true},
    {"spot_lights", F::Golden, "spot_lights.qlx", {"-tga"}, false, true},
    // Mirrors, glass, haze, lens.
    {"mirror", F::Golden, "mirror.qlx", {}, false, true},
    {"glass", F::Golden, "glass.qlx", {}, false, true},
    {"glass_example", F::Examples, "glass.qlx", {"-r", "48", "36"}, false, true},
    {"haze", F::Examples, "haze.qlx", {"-r", "48", "36"}, false, true},
    {"haze_unlit", F::Golden, "haze_unlit.qlx", {}, false, true},
    {"fisheye", F::Examples, "fisheye.qlx", {"-r", "48", "36", "-ppm"}, false, true},
    // The three scans, each over an odd number of rows.
    {"scan_none", F::Examples, "aa_none.qlx", {"-r", "48", "37"}, false, true},
    {"scan_quick", F::Examples, "aa_quick.qlx", {"-r", "48", "37"}, false, true},
    {"scan_adaptive", F::Examples, "aa_none.qlx", {"-r", "48", "37", "-aaa", "4"}, false, true},
    {"scan_adaptive_glass", F::Golden, "glass.qlx", {"-aaa", "2", "-tga"}, false, true},
    // The shared benchmark scenes.
    {"balls", F::Shared, "balls.qlx", {"-r", "48", "48"}, false, true},
    {"teapot", F::Shared, "teapot.qlx", {"-r", "48", "48"}, false, true},
    {"tetra", F::Shared, "tetra.qlx", {"-r", "48", "48", "-bmp"}, false, true},
    // Random features in quellix: rand() is never seeded, so these repeat on every run.
    {"jitter_none", F::Golden, "spot_lights.qlx", {"-j", "-aan"}, false, false},
    {"jitter_quick", F::Golden, "glass.qlx", {"-j", "-aaq", "-bmp"}, false, false},
    {"jitter_adaptive", F::Examples, "aa_adaptive.qlx", {"-r", "48", "36"}, false, false},
    {"depth_of_field", F::Examples, "depth_of_field.qlx", {"-r", "48", "36"}, false, false},
    {"soft_shadows", F::Examples, "lights.qlx", {"-r", "48", "36", "-tga"}, false, false},
    {"fuzzy_mirror", F::Examples, "mirrors.qlx", {"-r", "48", "36"}, false, false},
    {"showcase", F::Examples, "showcase.qlx", {"-r", "48", "36"}, false, false},
    {"random_mix", F::Golden, "random_mix.qlx", {}, false, false},
    // Random features in quellix-mt: one generator per band, the same on every run.
    {"random_mix_mt2", F::Golden, "random_mix.qlx", {"-t", "2", "-r", "48", "37"}, true, false},
    {"showcase_mt2", F::Examples, "showcase.qlx", {"-t", "2", "-r", "48", "36"}, true, false},
    {"depth_of_field_mt2",
     F::Examples,
     "depth_of_field.qlx",
     {"-t", "2", "-r", "48", "36", "-j", "-aaq", "-tga"},
     true,
     false},
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const GoldenCase& test, std::ostream* os) {
    *os << test.name;
}

bool updating() {
    return std::getenv("QUELLIX_UPDATE_GOLDEN") != nullptr;
}

struct Rendered {
    std::string picture;
    std::string extension;
    std::string out;
};

// Renders one case in its own directory; the picture is read back before the directory goes.
Rendered render(const GoldenCase& test, const std::string& program,
                const std::vector<std::string>& extra, const std::string& name) {
    TempDir dir;
    stageScene(test.folder, test.scene, dir.path());
    std::vector<std::string> args = {"-i", test.scene};
    args.insert(args.end(), test.options.begin(), test.options.end());
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"-o", name});
    const RunResult result = runProgram(program, args, dir.path());
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.err, "");
    const std::optional<fs::path> picture = findPicture(dir.path(), name);
    if (!picture) {
        ADD_FAILURE() << "no single picture " << name << ".* written:\n" << result.out;
        return {};
    }
    return {readFile(*picture), picture->extension().string(), withoutTime(result.out)};
}

class GoldenTest : public testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, MatchesCommittedBytes) {
    const GoldenCase& test = GetParam();
    const std::string program = test.threaded ? quellixMtPath() : quellixPath();
    const Rendered produced = render(test, program, {}, test.name);
    ASSERT_FALSE(produced.picture.empty());
    const std::string pictureName = test.name + produced.extension;
    const std::string outName = std::string(test.name) + ".out";

    if (updating()) {
        writeFile(goldenDir() / pictureName, produced.picture);
        writeFile(goldenDir() / outName, produced.out);
    } else {
        const fs::path golden = goldenDir() / pictureName;
        ASSERT_TRUE(fs::exists(golden))
            << golden << " is missing (scripts/update-golden writes it)";
        expectSameBytes(std::string(test.name) + ": picture", produced.picture, readFile(golden),
                        produced.extension, pictureName);
        expectSameBytes(std::string(test.name) + ": standard output", produced.out,
                        readFile(goldenDir() / outName), ".out", outName);
    }

    if (test.deterministic) {
        // Bands must add up to the single-threaded picture, whatever the split.
        for (const char* threads : {"2", "4", "8"}) {
            const std::string name = test.name + std::string("_mt") + threads;
            const Rendered banded = render(test, quellixMtPath(), {"-t", threads}, name);
            expectSameBytes(name + ": quellix-mt -t " + threads + " against quellix",
                            banded.picture, produced.picture, produced.extension,
                            name + produced.extension);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<GoldenCase>& info) {
                             return std::string(info.param.name);
                         });

// A golden file without a case would never be checked; a stale one misleads.
TEST(GoldenFilesTest, EveryFileBelongsToACase) {
    std::set<std::string> stems;
    for (const GoldenCase& test : kCases) {
        EXPECT_TRUE(stems.insert(test.name).second) << "two cases named " << test.name;
    }
    const std::set<std::string> kinds = {".tga", ".bmp", ".ppm", ".out"};
    int files = 0;
    for (const auto& entry : fs::directory_iterator(goldenDir())) {
        const fs::path file = entry.path().filename();
        if (!entry.is_regular_file() || file.string().front() == '.') {
            continue; // the scene folder and .gitattributes
        }
        ++files;
        EXPECT_TRUE(kinds.count(file.extension().string()) == 1 &&
                    stems.count(file.stem().string()) == 1)
            << file << " in " << goldenDir() << " belongs to no golden case";
    }
    // A picture and an output per case, nothing else.
    EXPECT_EQ(files, 2 * static_cast<int>(kCases.size()));
}

// Width, height and pixels of a binary PPM with 255 levels; false when it is not one.
bool decodePpm(const std::string& data, int& width, int& height, std::string& pixels) {
    std::istringstream stream(data);
    std::string magic;
    int levels = 0;
    if (!(stream >> magic >> width >> height >> levels) || magic != "P6" || levels != 255) {
        return false;
    }
    stream.get(); // the single whitespace before the pixels
    pixels.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return true;
}

// netpbm's decoders, not ours, read the committed pictures of one scene in the three formats:
// they must give the same pixels, so row order, colour order and row padding agree.
TEST(GoldenFilesTest, FormatsDecodeToTheSamePixels) {
    struct Format {
        const char* file;
        const char* decoder;
    };
    const std::vector<Format> formats = {
        {"shapes.ppm", "pamtopnm"}, {"shapes_tga.tga", "tgatoppm"}, {"shapes_bmp.bmp", "bmptopnm"}};
    int width = 0;
    int height = 0;
    std::string reference;
    ASSERT_TRUE(decodePpm(readFile(goldenDir() / "shapes.ppm"), width, height, reference));
    ASSERT_EQ(reference.size(), 49u * 37 * 3);
    for (const Format& format : formats) {
        SCOPED_TRACE(format.file);
        const std::string decoder = findOnPath(format.decoder);
        if (decoder.empty()) {
            GTEST_SKIP() << format.decoder << " not found (install netpbm): decoder check skipped";
        }
        TempDir dir;
        const RunResult result =
            runProgram(decoder, {(goldenDir() / format.file).string()}, dir.path());
        ASSERT_EQ(result.status, 0) << result.err;
        int decodedWidth = 0;
        int decodedHeight = 0;
        std::string pixels;
        ASSERT_TRUE(decodePpm(result.out, decodedWidth, decodedHeight, pixels));
        EXPECT_EQ(decodedWidth, 49);
        EXPECT_EQ(decodedHeight, 37);
        const std::size_t offset = firstDifference(pixels, reference);
        EXPECT_TRUE(pixels == reference)
            << "first difference at pixel byte " << offset << " (row " << offset / (49 * 3)
            << ", column " << offset % (49 * 3) / 3 << ")";
    }
}

} // namespace
