#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "driver/scene_state.h"
#include "geometry/object.h"
#include "render/camera.h"
#include "render/light.h"
#include "run_program.h"
#include "scene/parser.h"
#include "scene/reader.h"
#include "scene/scene_error.h"

// Damaged copies of a valid scene, read in-process: every prefix and every position
// overwritten with a NUL byte. Each read must end in a clean result or a scene error at a
// line the reader has reached, and leave nothing behind.

namespace {

// Every block kind, a declared colour and both comment forms, over several lines.
const std::string kScene =
    "[ a scene\n  cut short ]\n"
    "declare \"warm\" color 0.9 0.5 0.2\n"
    "camera { position <0 -13 6> look_at <0 0 0.8> aperture 0.2 focal_length 12 samples 2 }\n"
    "settings { display 16 12 background #warm antialiasing \"quick\" jitter \"yes\"\n"
    "  output_type \"bmp\" output_name \"every\" }\n"
    "light { position <-5 -8 12> color 1 1 1 shadow_type \"smooth\" radius 0.5 samples 2 }\n"
    "surface { color #warm ambient 0.15 diffuse 0.7 specular 0.5 roughness 30 } ; floor\n"
    "plane { normal <0 0 1> distance 0 }\n"
    "sphere { center <-6 0 1> radius 1 }\n"
    "cylinder { base <-3.5 0 0> cap <-3.5 0 2.2> radius 0.8 }\n"
    "cone { base <-1.2 0 0> base_radius 1 cap <-1.2 0 2.2> cap_radius 0.2 }\n"
    "disc { center <1.2 0 1.2> normal <0 -1 0.3> radius 1 }\n"
    "ring { center <3.6 0 1.2> normal <0 -1 0.2> internal_radius 0.5 external_radius 1.1 }\n"
    "polygon { 4 vertex <5 0 0> vertex <7 0 0> vertex <7 0 2> vertex <5 0 2> }\n"
    "triangle { vertex <-6 -3 0.01> vertex <-4 -3 0.01> vertex <-5 -1.6 0.01> }\n"
    "smooth_triangle { vertex <-1 -3 0.3> normal <-1 -1 1> vertex <2 -3 0.3> normal <1 -1 1>\n"
    "  vertex <0.5 -3 2.4> normal <0 -1 2> }\n";

struct Outcome {
    int result = 0;
    std::optional<SceneError> error;
    std::optional<std::string> unopened;
};

class DamagedSceneTest : public testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    static void reset() {
        freeList(&myObjectList);
        freeList(&myLightList);
        resetSceneState();
        setMainDefaults();
        resetReaderState();
        resetCameraFrame();
    }

    Outcome read(const std::string& text) {
        reset();
        const std::string path = dir.write("scene.qlx", text).string();
        Outcome outcome;
        testing::internal::CaptureStdout();
        try {
            outcome.result = parseFile(path.c_str());
        } catch (const SceneError& error) {
            outcome.error = error;
        } catch (const SceneFileError& error) {
            outcome.unopened = error.path;
        }
        testing::internal::GetCapturedStdout();
        return outcome;
    }

    TempDir dir;
};

int linesReached(const std::string& text, std::size_t end) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + end, '\n'));
}

TEST_F(DamagedSceneTest, EveryPrefixEndsCleanlyOrWithAnErrorItHasReached) {
    const Outcome whole = read(kScene);
    ASSERT_FALSE(whole.error.has_value()) << whole.error->message;
    ASSERT_EQ(whole.result, 0);
    ASSERT_EQ(nPrims, 9);

    int errors = 0;
    for (std::size_t length = 0; length < kScene.size(); ++length) {
        SCOPED_TRACE("prefix of " + std::to_string(length) + " bytes");
        const std::string prefix = kScene.substr(0, length);
        const Outcome outcome = read(prefix);
        EXPECT_FALSE(outcome.unopened.has_value());
        if (outcome.error) {
            ++errors;
            EXPECT_LE(outcome.error->line, linesReached(prefix, prefix.size()));
            EXPECT_GE(outcome.error->line, 1);
        } else {
            // Cut between items: complete, or missing a required block.
            EXPECT_TRUE(outcome.result == 0 || outcome.result == -1) << outcome.result;
        }
        EXPECT_EQ(myColorList, nullptr);
        EXPECT_EQ(surface, nullptr);
    }
    EXPECT_GT(errors, 0);
}

// Outside a comment the reader stops at a NUL byte at the latest; inside one the byte is
// skipped like any other.
TEST_F(DamagedSceneTest, NulByteAtEveryPositionStopsTheReadByItsLine) {
    const std::size_t blockOpen = kScene.find('[');
    const std::size_t blockClose = kScene.find(']');
    const std::size_t lineOpen = kScene.find(';');
    const std::size_t lineClose = kScene.find('\n', lineOpen);
    for (std::size_t at = 0; at < kScene.size(); ++at) {
        SCOPED_TRACE("NUL at byte " + std::to_string(at));
        std::string damaged = kScene;
        damaged[at] = '\0';
        const Outcome outcome = read(damaged);
        if ((at > blockOpen && at < blockClose) || (at > lineOpen && at < lineClose)) {
            EXPECT_FALSE(outcome.error.has_value());
            EXPECT_EQ(outcome.result, 0);
            EXPECT_EQ(nPrims, 9);
        } else if (at == blockClose) {
            ASSERT_TRUE(outcome.error.has_value());
            EXPECT_EQ(outcome.error->message, " unterminated comment");
        } else if (at == lineClose) {
            // The line comment runs on over the plane.
            EXPECT_FALSE(outcome.error.has_value());
            EXPECT_EQ(outcome.result, 0);
            EXPECT_EQ(nPrims, 8);
        } else {
            ASSERT_TRUE(outcome.error.has_value());
            EXPECT_LE(outcome.error->line, linesReached(damaged, at));
            EXPECT_GE(outcome.error->line, 1);
        }
    }
}

} // namespace
