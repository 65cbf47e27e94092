#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

// Every scene of examples/, read from the folder at run time so a new example is covered
// as soon as it is added, renders small with both programs.
TEST(ExamplesTest, EveryExampleRendersWithBothPrograms) {
    std::vector<std::string> scenes;
    for (const auto& entry : fs::directory_iterator(folderPath(SceneFolder::Examples))) {
        if (entry.path().extension() == ".qlx") {
            scenes.push_back(entry.path().filename().string());
        }
    }
    std::sort(scenes.begin(), scenes.end());
    ASSERT_FALSE(scenes.empty()) << "no scene in " << folderPath(SceneFolder::Examples);
    constexpr int kWidth = 64;
    constexpr int kHeight = 48;
    for (const std::string& scene : scenes) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(scene + (threaded ? " (quellix-mt)" : " (quellix)"));
            TempDir dir;
            stageScene(SceneFolder::Examples, scene, dir.path());
            const RunResult result = runProgram(threaded ? quellixMtPath() : quellixPath(),
                                                {"-i", scene, "-r", std::to_string(kWidth),
                                                 std::to_string(kHeight), "-o", "picture"},
                                                dir.path());
            EXPECT_EQ(result.status, 0) << result.out;
            EXPECT_EQ(result.err, "");
            EXPECT_NE(result.out.find(" Resolution:   64 x 48\n"), std::string::npos) << result.out;
            const std::optional<fs::path> picture = findPicture(dir.path(), "picture");
            ASSERT_TRUE(picture.has_value()) << result.out;
            const std::string extension = picture->extension().string();
            const std::string bytes = readFile(*picture);
            EXPECT_EQ(bytes.size(), expectedFileSize(extension, kWidth, kHeight));
            const std::optional<PictureSize> size = pictureSize(bytes, extension);
            ASSERT_TRUE(size.has_value());
            EXPECT_EQ(size->width, kWidth);
            EXPECT_EQ(size->height, kHeight);
            // A scene that shows nothing but one colour is a broken example.
            const std::size_t header =
                bytes.size() - static_cast<std::size_t>(kWidth) * kHeight * 3;
            std::set<std::string> colours;
            for (std::size_t k = header; k + 3 <= bytes.size() && colours.size() < 2; k += 3) {
                colours.insert(bytes.substr(k, 3));
            }
            EXPECT_EQ(colours.size(), 2u) << "the picture is a single colour";
        }
    }
}

} // namespace
