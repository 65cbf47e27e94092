#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver_texts.h"
#include "run_program.h"

namespace {

enum class Programs { Both, SingleOnly, MultiOnly };

struct UsageCase {
    const char* what;
    Programs programs;
    std::vector<std::string> args;
    std::string beforeUsage; // printed between the banner and the usage text
};

const std::string kLongOutput(256, 'o');
const std::string kLongInput(512, 'i');

// Every one of these ends in the usage text with status 255 before any scene is read.
const std::vector<UsageCase> kUsageCases = {
    {"no argument", Programs::Both, {}, ""},
    {"bare file name, no -i", Programs::Both, {"scene.qlx"}, ""},
    {"-?", Programs::Both, {"-?"}, ""},
    {"--help", Programs::Both, {"--help"}, ""},
    {"/?", Programs::Both, {"/?"}, ""},
    {"/? after a valid input", Programs::Both, {"-i", "scene.qlx", "-ppm", "/?"}, ""},
    {"--help in the middle", Programs::Both, {"-j", "--help", "-i", "scene.qlx"}, ""},
    {"unknown option", Programs::Both, {"-i", "scene.qlx", "-x"}, ""},
    {"lone dash", Programs::Both, {"-i", "scene.qlx", "-"}, ""},
    {"options are case-sensitive", Programs::Both, {"-I", "scene.qlx"}, ""},
    {"--ouput as the usage text spells it", Programs::Both, {"--ouput", "pic", "-i", "s.qlx"}, ""},
    {"--aaadatpive as the usage text spells it",
     Programs::Both,
     {"--aaadatpive", "3", "-i", "s.qlx"},
     ""},
    {"-t in the single-threaded program", Programs::SingleOnly, {"-t", "4", "-i", "s.qlx"}, ""},
    {"--thread in the single-threaded program",
     Programs::SingleOnly,
     {"-i", "s.qlx", "--thread", "2"},
     ""},
    {"-aaa 0", Programs::Both, {"-aaa", "0", "-i", "scene.qlx"}, ""},
    {"-aaa without digits", Programs::Both, {"-aaa", "x", "-i", "scene.qlx"}, ""},
    {"-aaa 0.5 truncates to 0", Programs::Both, {"--aaadaptive", "0.5", "-i", "scene.qlx"}, ""},
    {"-r with one value as the last words", Programs::Both, {"-i", "scene.qlx", "-r", "5"}, ""},
    {"-i as the last word", Programs::Both, {"-i"}, ""},
    {"-o as the last word", Programs::Both, {"-i", "scene.qlx", "-o"}, ""},
    {"-t as the last word", Programs::MultiOnly, {"-i", "scene.qlx", "-t"}, ""},
    {"-pqs as the last word", Programs::Both, {"-i", "scene.qlx", "-pqs"}, ""},
    {"no -i at all", Programs::Both, {"-o", "pic", "-ppm"}, ""},
    {"-i value consumed by -o", Programs::Both, {"-o", "-i", "scene.qlx"}, ""},
    {"-o longer than 255 characters", Programs::Both, {"-o", kLongOutput, "-i", "scene.qlx"}, ""},
    {"-i longer than 511 characters", Programs::Both, {"-i", kLongInput}, ""},
    {"-w 0", Programs::Both, {"-w", "0", "-i", "scene.qlx"}, ""},
    {"-w without digits", Programs::Both, {"-w", "wide", "-i", "scene.qlx"}, ""},
    {"-h -1", Programs::Both, {"-h", "-1", "-i", "scene.qlx"}, ""},
    {"--height 0", Programs::Both, {"--height", "0", "-i", "scene.qlx"}, ""},
    {"-r 0 5", Programs::Both, {"-r", "0", "5", "-i", "scene.qlx"}, ""},
    {"-r 5 0", Programs::Both, {"-r", "5", "0", "-i", "scene.qlx"}, ""},
    {"--resolution -3 -3", Programs::Both, {"--resolution", "-3", "-3", "-i", "scene.qlx"}, ""},
    // Messages of options seen before the missing -i is noticed come first.
    {"-t 3 without -i", Programs::MultiOnly, {"-t", "3"}, kBadThreads},
    {"-t 3 and -pqs 100 without -i",
     Programs::MultiOnly,
     {"-t", "3", "-pqs", "100"},
     kBadThreads + kSmallQueue},
    {"--pqsize -7 without -i", Programs::Both, {"--pqsize", "-7", "-j"}, kSmallQueue},
    {"-pqs 101 is silent", Programs::Both, {"-pqs", "101"}, ""},
    {"-t 8 is silent", Programs::MultiOnly, {"-t", "8", "-aaq", "-aan", "-tga"}, ""},
};

std::vector<bool> threadedFor(Programs programs) {
    switch (programs) {
    case Programs::SingleOnly:
        return {false};
    case Programs::MultiOnly:
        return {true};
    default:
        return {false, true};
    }
}

TEST(CommandLineTest, EndsInTheUsageText) {
    for (const UsageCase& test : kUsageCases) {
        for (bool threaded : threadedFor(test.programs)) {
            SCOPED_TRACE(std::string(test.what) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            // The scene exists, so a usage text cannot be mistaken for a missing file.
            dir.write("scene.qlx", "camera { position <0 -5 0> look_at <0 0 0> }\n");
            const RunResult result =
                runProgram(threaded ? quellixMtPath() : quellixPath(), test.args, dir.path());
            EXPECT_EQ(result.out, bannerText(threaded) + test.beforeUsage + usageText(threaded));
            EXPECT_EQ(result.status, 255);
            EXPECT_EQ(result.err, "");
        }
    }
}

struct SceneCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> args;
    std::string afterBanner;
};

const std::string kCamera = "camera { position <0 -5 1> look_at <0 0 1> }\n";
const std::string kSettings = "settings { output_type \"ppm\" output_name \"pic\" }\n";

// Runs that stop while or right after reading the scene, all with status 255.
const std::vector<SceneCase> kSceneCases = {
    {"missing scene file",
     {},
     {"-i", "missing.qlx"},
     "\n Scene file: missing.qlx could no be opened\n"},
    {"-i takes a word starting with '-'",
     {},
     {"-i", "-x"},
     "\n Scene file: -x could no be opened\n"},
    {"the longest -i word is taken",
     {},
     {"-i", std::string(511, 'i')},
     "\n Scene file: " + std::string(511, 'i') + " could no be opened\n"},
    {"the longest -o word is taken",
     {},
     {"-o", std::string(255, 'o'), "-i", "missing.qlx"},
     "\n Scene file: missing.qlx could no be opened\n"},
    {"a bare word is not the scene",
     {},
     {"scene.qlx", "-i", "missing.qlx"},
     "\n Scene file: missing.qlx could no be opened\n"},
    {"the last -i wins",
     {},
     {"-i", "first.qlx", "--input", "second.qlx"},
     "\n Scene file: second.qlx could no be opened\n"},
    {"empty scene",
     {{"empty.qlx", ""}},
     {"-i", "empty.qlx"},
     "\n Parsing empty.qlx Missing camera!"},
    {"missing settings",
     {{"cam.qlx", kCamera}},
     {"-i", "cam.qlx"},
     "\n Parsing cam.qlx Missing settings!"},
    {"scene error with its line",
     {{"bad.qlx", kCamera + "\n\nsphere { radius 1 colour }\n"}},
     {"-i", "bad.qlx"},
     "\n Parsing bad.qlx\n Parser Error - line: 4 -  Unkown parameter in sphere structure\n"},
    {"error inside an included file: the line counter runs on",
     {{"main.qlx", kCamera + kSettings + "include \"inc.qlx\"\n"},
      {"inc.qlx", "light { position <0 -5 5> color 1 1 1 }\n\nsurface { color 1 0 0 bogus 1 }\n"}},
     {"-i", "main.qlx"},
     "\n Parsing main.qlx\n Parsing inc.qlx\n Parser Error - line: 5 -  Unkown parameter in "
     "surface structure\n"},
    {"missing included file",
     {{"main.qlx", kCamera + "include \"nowhere.qlx\"\n"}},
     {"-i", "main.qlx"},
     "\n Parsing main.qlx\n Scene file: nowhere.qlx could no be opened\n"},
    // Only the first pass has run, so its messages appear once.
    {"option messages before a scene error",
     {{"empty.qlx", ""}},
     {"-pqs", "3", "-i", "empty.qlx"},
     kSmallQueue + "\n Parsing empty.qlx Missing camera!"},
};

TEST(CommandLineTest, StopsOnTheScene) {
    for (const SceneCase& test : kSceneCases) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(test.what) + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            for (const auto& [name, text] : test.files) {
                dir.write(name, text);
            }
            const RunResult result =
                runProgram(threaded ? quellixMtPath() : quellixPath(), test.args, dir.path());
            EXPECT_EQ(result.out, bannerText(threaded) + test.afterBanner);
            EXPECT_EQ(result.status, 255);
        }
    }
}

} // namespace
