// Light, surface and primitive blocks, read in-process from scene snippets.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/scene_state.h"
#include "geometry/object.h"
#include "render/light.h"
#include "run_program.h"
#include "scene/parser.h"
#include "scene/reader.h"
#include "scene/scene_error.h"

namespace {

struct ParseOutcome {
    bool failed = false;
    int line = 0;
    std::string message;
    std::string out; // standard output of the parse
};

class SceneBlocks : public testing::Test {
  protected:
    void SetUp() override {
        resetSceneState();
        setMainDefaults();
        resetReaderState();
        freeList(&myObjectList);
        freeList(&myLightList);
        current = defaultSurface();
        surface = &current;
    }
    void TearDown() override {
        freeList(&myObjectList);
        freeList(&myLightList);
        surface = nullptr;
    }

    // Reads `text` as one scene file (outside parseFile, so no camera or settings needed).
    ParseOutcome parse(const std::string& text) {
        const std::string path = dir.write("scene.qlx", text).string();
        ParseOutcome outcome;
        testing::internal::CaptureStdout();
        try {
            parseScene(path.c_str());
        } catch (const SceneError& error) {
            outcome.failed = true;
            outcome.line = error.line;
            outcome.message = error.message;
        } catch (...) {
            testing::internal::GetCapturedStdout();
            throw;
        }
        outcome.out = testing::internal::GetCapturedStdout();
        return outcome;
    }

    // Parses a scene that must be accepted.
    void accept(const std::string& text) {
        ParseOutcome outcome = parse(text);
        ASSERT_FALSE(outcome.failed) << "line " << outcome.line << ":" << outcome.message;
    }

    // Objects in file order (the list holds them newest first).
    static std::vector<const Object*> objectsInFileOrder() {
        std::vector<const Object*> objects;
        for (const Object* o = myObjectList; o != nullptr; o = o->next)
            objects.insert(objects.begin(), o);
        return objects;
    }

    TempDir dir;
    SurfaceAttrib current{};
};

void expectVector(const Vector& actual, double x, double y, double z) {
    EXPECT_DOUBLE_EQ(actual.x, x);
    EXPECT_DOUBLE_EQ(actual.y, y);
    EXPECT_DOUBLE_EQ(actual.z, z);
}

void expectSameSurface(const SurfaceAttrib& a, const SurfaceAttrib& b) {
    EXPECT_EQ(a.color.red, b.color.red);
    EXPECT_EQ(a.color.green, b.color.green);
    EXPECT_EQ(a.color.blue, b.color.blue);
    EXPECT_EQ(a.ambient, b.ambient);
    EXPECT_EQ(a.diffuse, b.diffuse);
    EXPECT_EQ(a.brilliance, b.brilliance);
    EXPECT_EQ(a.specular, b.specular);
    EXPECT_EQ(a.roughness, b.roughness);
    EXPECT_EQ(a.reflection, b.reflection);
    EXPECT_EQ(a.reflection_type, b.reflection_type);
    EXPECT_EQ(a.reflection_samples, b.reflection_samples);
    EXPECT_EQ(a.reflection_radius, b.reflection_radius);
    EXPECT_EQ(a.refraction, b.refraction);
    EXPECT_EQ(a.refraction_index, b.refraction_index);
}

// ---------------------------------------------------------------------------------------
// Rejected blocks: message and line. Checks made at "}" report the line of the "}", checks
// made at a value the line of that value; the snippets put them on different lines.

struct RejectedCase {
    const char* name;
    const char* scene;
    int line;
    const char* message;
};

const RejectedCase kRejected[] = {
    // Light block.
    {"light without brace", "light\nposition <0 0 0>", 2, " Opening bracket '{' expected"},
    {"light direction keyword", "light {\n direction <0 0 1>\n}", 2,
     " Unkown parameter in light structure"},
    {"light center keyword", "light {\n center <0 0 1>\n}", 2,
     " Unkown parameter in light structure"},
    {"light plain word", "light {\n position <0 0 0>\n bright\n}", 3,
     " Unkown parameter in light structure"},
    {"light number", "light {\n 12\n}", 2, " Unkown parameter in light structure"},
    {"light end of file", "light {\n position <0 0 0>\n", 3,
     " Unkown parameter in light structure"},
    {"light colour with a zero", "light {\n position <0 0 0>\n color 1 0 1\n}", 3,
     " invalid color component(s)"},
    {"light colour negative", "light {\n color 1 1 -0.5\n}", 2, " invalid color component(s)"},
    {"light type", "light {\n light_type \"area\"\n}", 2, " invalid light type specified"},
    {"light type case", "light {\n light_type \"Spot\"\n}", 2, " invalid light type specified"},
    {"attenuation type", "light {\n attenuation_type \"d3\"\n}", 2,
     " invalid light attenuation type specified"},
    {"shadow type", "light {\n shadow_type \"soft\"\n}", 2, " invalid shadow type specified"},
    {"light radius zero", "light {\n radius 0\n}", 2,
     " smooth light radius must be greater than 0"},
    {"light radius negative", "light {\n radius -1\n}", 2,
     " smooth light radius must be greater than 0"},
    {"light samples zero", "light {\n light_samples 0\n}", 2,
     " smooth light samples must be greater than 0"},
    {"light samples synonym negative", "light {\n samples -3\n}", 2,
     " smooth light samples must be greater than 0"},
    {"target equal to position",
     "light {\n position <1 2 3>\n color 1 1 1\n target <1 2 3>\n}", 5,
     " Error in light structure - invalid target"},
    {"invalid target before missing parameters", "light {\n target <0 0 0>\n}", 3,
     " Error in light structure - invalid target"},
    {"light without position", "light {\n color 1 1 1\n}", 3,
     " Error in light structure - missing parameters"},
    {"light without colour", "light {\n position <0 0 0>\n}", 3,
     " Error in light structure - missing parameters"},
    {"light colour twice", "light {\n position <0 0 0>\n color 1 1 1\n color 1 1 1\n}", 5,
     " Error in light structure - missing parameters"},
    {"smooth light without samples",
     "light {\n position <0 0 0>\n color 1 1 1\n shadow_type \"smooth\"\n radius 1\n}", 6,
     " Error in light structure - missing parameters"},
    {"smooth light without radius",
     "light {\n position <0 0 0>\n color 1 1 1\n shadow_type \"smooth\"\n samples 4\n}", 6,
     " Error in light structure - missing parameters"},
    {"smooth light with both sample keywords",
     "light {\n position <0 0 0> color 1 1 1 shadow_type \"smooth\" radius 1\n"
     " samples 4 light_samples 4\n}",
     4, " Error in light structure - missing parameters"},
    {"smooth light radius twice",
     "light {\n position <0 0 0> color 1 1 1 shadow_type \"smooth\" radius 1\n"
     " samples 4 radius 2\n}",
     4, " Error in light structure - missing parameters"},

    // Surface block.
    {"surface without brace", "surface\ncolor 1 1 1", 2, " Opening bracket '{' expected"},
    {"surface colour above 1", "surface {\n color 1 1.5 1\n}", 2, " invalid color component(s)"},
    {"surface colour below 0", "surface {\n color -0.1 0 0\n}", 2,
     " invalid color component(s)"},
    {"reflection type", "surface {\n reflection_type \"blurred\"\n}", 2,
     " invalid reflection type specified"},
    {"surface unknown keyword", "surface {\n radius 1\n}", 2,
     " Unkown parameter in surface structure"},
    {"surface plain word", "surface {\n shiny 1\n}", 2, " Unkown parameter in surface structure"},

    // Sphere block.
    {"sphere without brace", "sphere center <0 0 0>", 1, " Opening bracket '{' expected"},
    {"sphere colour", "sphere {\n center <0 0 0>\n color 1 1 1\n}", 3,
     " Unkown parameter in sphere structure"},
    {"sphere radius zero before center", "sphere {\n radius 0\n}", 2,
     " sphere radius must be greater than 0"},
    {"sphere radius negative", "sphere {\n center <0 0 0>\n radius -2\n}", 3,
     " sphere radius must be greater than 0"},
    {"sphere center twice", "sphere {\n center <0 0 0>\n center <1 0 0>\n radius 1\n}", 5,
     " error in sphere structure declaration"},
    {"sphere without radius", "sphere {\n center <0 0 0>\n}", 3,
     " error in sphere structure declaration"},

    // Plane block.
    {"plane unknown keyword", "plane {\n normal <0 1 0>\n center <0 0 0>\n}", 3,
     " Unkown parameter in plane structure"},
    {"plane without distance", "plane {\n normal <0 1 0>\n}", 3,
     " error in plane structure declaration"},
    {"plane distance twice", "plane {\n normal <0 1 0>\n distance 1\n distance 2\n}", 5,
     " error in plane structure declaration"},
    {"plane zero normal", "plane {\n normal <0 -0 0>\n distance 1\n}", 4,
     " plane normal cannot be <0 0 0>"},
    {"plane count before zero normal", "plane {\n normal <0 0 0>\n}", 3,
     " error in plane structure declaration"},

    // Cylinder block.
    {"cylinder without brace", "cylinder\n[ no brace ]\nbase <0 0 0>", 3,
     " Opening bracket '{' expected"},
    {"cylinder unknown keyword", "cylinder {\n base <0 0 0>\n base_radius 1\n}", 3,
     " Unkown parameter in cylinder structure"},
    {"cylinder without cap", "cylinder {\n base <0 0 0>\n radius 1\n}", 4,
     " error in cylinder structure declaration"},
    {"cylinder radius zero", "cylinder {\n base <0 0 0>\n cap <0 1 0>\n radius 0\n}", 5,
     " radius cannot be null or negative"},
    {"cylinder radius negative", "cylinder {\n base <0 0 0>\n cap <0 1 0>\n radius -1\n}", 5,
     " radius cannot be null or negative"},
    {"cylinder base equals cap", "cylinder {\n base <1 2 3>\n cap <1 2 3>\n radius 1\n}", 5,
     " cylinder base and cap cannot be the same point"},
    {"cylinder radius before same point",
     "cylinder {\n base <1 2 3>\n cap <1 2 3>\n radius 0\n}", 5,
     " radius cannot be null or negative"},

    // Cone block.
    {"cone unknown keyword", "cone {\n base <0 0 0>\n radius 1\n}", 3,
     " Unkown parameter in cone structure"},
    {"cone without cap radius",
     "cone {\n base <0 0 0>\n cap <0 1 0>\n base_radius 1\n}", 5, " Error in cone structure"},
    {"cone both radii zero",
     "cone {\n base <0 0 0>\n cap <0 1 0>\n base_radius 0\n cap_radius 0\n}", 6,
     " base radius and cap radius cannot be both null"},
    {"cone negative radius",
     "cone {\n base <0 0 0>\n cap <0 1 0>\n base_radius -1\n cap_radius 0\n}", 6,
     " base radius or cap radius cannot be negative"},
    {"cone negative cap radius",
     "cone {\n base <0 0 0>\n cap <0 1 0>\n base_radius 1\n cap_radius -0.5\n}", 6,
     " base radius or cap radius cannot be negative"},
    {"cone base equals cap",
     "cone {\n base <0 1 0>\n cap <0 1 0>\n base_radius 1\n cap_radius 0\n}", 6,
     " cone base and cap cannot be the same point"},
    {"cone radii before same point",
     "cone {\n base <0 1 0>\n cap <0 1 0>\n base_radius 0\n cap_radius 0\n}", 6,
     " base radius and cap radius cannot be both null"},

    // Ring block.
    {"ring unknown keyword", "ring {\n center <0 0 0>\n radius 1\n}", 3,
     " Unkown parameter in ring structure"},
    {"ring without normal",
     "ring {\n center <0 0 0>\n internal_radius 1\n external_radius 2\n}", 5,
     " missing parameter(s) in disc structure"},
    {"ring internal radius zero",
     "ring {\n center <0 0 0>\n normal <0 1 0>\n internal_radius 0\n external_radius 2\n}", 6,
     " external and internal radius cannot be null or negative"},
    {"ring external radius negative",
     "ring {\n center <0 0 0>\n normal <0 1 0>\n internal_radius 1\n external_radius -2\n}", 6,
     " external and internal radius cannot be null or negative"},
    {"ring equal radii",
     "ring {\n center <0 0 0>\n normal <0 1 0>\n internal_radius 2\n external_radius 2\n}", 6,
     " both radius are equal"},
    {"ring zero normal",
     "ring {\n center <0 0 0>\n normal <0 0 0>\n internal_radius 3\n external_radius 1\n}", 6,
     " ring normal cannot be <0 0 0>"},
    {"ring radii before zero normal",
     "ring {\n center <0 0 0>\n normal <0 0 0>\n internal_radius 2\n external_radius 2\n}", 6,
     " both radius are equal"},

    // Disc block.
    {"disc unknown keyword",
     "disc {\n center <0 0 0>\n normal <0 1 0>\n internal_radius 1\n}", 4,
     " Unkown parameter in disc structure"},
    {"disc without center", "disc {\n normal <0 1 0>\n radius 1\n}", 4,
     " missing parameter(s) in disc structure"},
    {"disc radius zero", "disc {\n center <0 0 0>\n normal <0 1 0>\n radius 0\n}", 5,
     " radius cannot be null or negative"},
    {"disc zero normal", "disc {\n center <0 0 0>\n normal <0 0 0>\n radius 1\n}", 5,
     " disc normal cannot be <0 0 0>"},
    {"disc radius before zero normal",
     "disc {\n center <0 0 0>\n normal <0 0 0>\n radius -1\n}", 5,
     " radius cannot be null or negative"},

    // Polygon block.
    {"polygon without brace", "polygon 4", 1, " Opening bracket '{' expected"},
    {"polygon count 3", "polygon {\n 3\n}", 2, " valid number of vertices expected"},
    {"polygon count 0", "polygon {\n 0\n}", 2, " valid number of vertices expected"},
    {"polygon count negative", "polygon {\n -5\n}", 2, " valid number of vertices expected"},
    {"polygon count after a vertex", "polygon {\n vertex <0 0 0>\n 4\n}", 2,
     " Integer value expected"},
    {"polygon unknown keyword", "polygon {\n 4\n vertex <0 0 0>\n normal <0 0 1>\n}", 4,
     " Unkown parameter in polygon structure"},
    {"polygon too many vertices",
     "polygon { 4\n vertex <0 0 0> vertex <1 0 0> vertex <1 1 0> vertex <0 1 0>\n vertex\n"
     " <0 2 0>\n}",
     3, " Too many vertices in polygon structure"},
    {"polygon too few vertices",
     "polygon { 5\n vertex <0 0 0> vertex <1 0 0> vertex <1 1 0> vertex <0 1 0>\n}", 3,
     " Too few vertices in polygon structure"},
    {"polygon with an enormous count",
     "polygon { 2000000000\n vertex <0 0 0> vertex <1 0 0> vertex <1 1 0> vertex <0 1 0>\n}",
     3, " Too few vertices in polygon structure"},
    {"polygon collinear start",
     "polygon { 4\n vertex <0 0 0> vertex <1 0 0> vertex <2 0 0> vertex <0 1 0>\n}", 3,
     " degenerate polygon"},

    // Triangle block.
    {"triangle without brace", "triangle\nvertex <0 0 0>", 2, " Opening bracket '{' expected"},
    {"triangle fourth vertex",
     "triangle {\n vertex <0 0 0> vertex <1 0 0> vertex <0 1 0> vertex\n <1 1 0>\n}", 2,
     " Too many vertices in triangle structure"},
    {"triangle unknown keyword", "triangle {\n vertex <0 0 0>\n normal <0 0 1>\n}", 3,
     " Unkown parameter in triangle structure"},
    {"triangle two vertices", "triangle {\n vertex <0 0 0>\n vertex <1 0 0>\n}", 4,
     " Too few vertices in triangle structure"},
    {"triangle coincident vertices",
     "triangle {\n vertex <0 0 0>\n vertex <1 1 1>\n vertex <1 1 1>\n}", 5,
     " degenerate triangle"},

    // Patch block, under both names.
    {"patch without brace", "patch\nvertex <0 0 0>", 2, " Opening bracket '{' expected"},
    {"patch fourth vertex",
     "patch {\n vertex <0 0 0> vertex <1 0 0> vertex <0 1 0> vertex\n <1 1 0>\n}", 2,
     " Too many vertices in patch structure"},
    {"patch fourth normal",
     "smooth_triangle {\n normal <0 0 1> normal <0 0 1> normal <0 0 1> normal\n <0 0 1>\n}", 2,
     " Too many normals in patch structure"},
    {"patch unknown keyword", "patch {\n vertex <0 0 0>\n center <0 0 1>\n}", 3,
     " Unkown parameter in patch structure"},
    {"patch two vertices",
     "patch {\n vertex <0 0 0> vertex <1 0 0>\n normal <0 0 1> normal <0 0 1> normal <0 0 1>\n}",
     4, " Too few vertices in patch structure"},
    {"patch two normals",
     "patch {\n vertex <0 0 0> vertex <1 0 0> vertex <0 1 0>\n normal <0 0 1> normal <0 0 1>\n}",
     4, " Too few normals in patch structure"},
    {"patch vertices checked before normals", "smooth_triangle {\n vertex <0 0 0>\n}", 3,
     " Too few vertices in patch structure"},
    {"patch collinear vertices",
     "smooth_triangle {\n vertex <0 0 0> normal <0 0 1>\n vertex <1 1 0> normal <0 0 1>\n"
     " vertex <2 2 0> normal <0 0 1>\n}",
     5, " degenerate patch"},
};

TEST_F(SceneBlocks, RejectedBlocksReportTheirMessageAndLine) {
    for (const RejectedCase& c : kRejected) {
        SCOPED_TRACE(c.name);
        SetUp(); // a fresh state for every snippet: each error stops its parse midway
        ParseOutcome outcome = parse(c.scene);
        EXPECT_TRUE(outcome.failed);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(outcome.line, c.line);
    }
}

TEST_F(SceneBlocks, FaultyBlockMakesNoObjectAfterTheGoodOnes) {
    ParseOutcome outcome = parse("sphere { center <0 0 0> radius 1 }\n"
                                 "light { position <0 0 0> color 1 1 1 }\n"
                                 "triangle { vertex <0 0 0> vertex <1 0 0> }\n"
                                 "sphere { center <0 0 0> radius 1 }\n");
    ASSERT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.message, " Too few vertices in triangle structure");
    EXPECT_EQ(nPrims, 1);
    EXPECT_EQ(iNumSphere, 1);
    EXPECT_EQ(iNumTriangle, 0);
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->kind, kSphere);
    EXPECT_EQ(myObjectList->next, nullptr);
    EXPECT_EQ(iNumLight, 1);
}

// Through the program: a block error ends the run with status 255 and the reader's text.
TEST(SceneBlocksProgram, BlockErrorEndsTheRunWithItsLine) {
    struct Case {
        const char* block;
        const char* tail;
    };
    const Case cases[] = {
        {"ring {\n center <0 0 0>\n normal <0 0 0>\n internal_radius 1 external_radius 2\n}",
         "\n Parser Error - line: 7 -  ring normal cannot be <0 0 0>\n"},
        {"sphere {\n radius -2\n}", "\n Parser Error - line: 4 -  sphere radius must be greater than 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        TempDir dir;
        dir.write("s.qlx", std::string("camera { position <0 0 -10> look_at <0 0 0> up <0 1 0> }\n"
                                       "settings { output_name \"out\" output_type \"ppm\" }\n") +
                               c.block);
        RunResult run = runProgram(quellixPath(), {"-i", "s.qlx"}, dir.path());
        EXPECT_EQ(run.status, 255);
        const std::string tail = c.tail;
        ASSERT_GE(run.out.size(), tail.size()) << run.out;
        EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail) << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.ppm"));
    }
}

// ---------------------------------------------------------------------------------------
// Lights.

TEST_F(SceneBlocks, LightsStandInReverseFileOrder) {
    accept("light { position <1 0 0> color 1 1 1 }\n"
           "light { position <2 0 0> color 1 1 1 }\n"
           "light { position <3 0 0> color 1 1 1 }\n");
    EXPECT_EQ(iNumLight, 3);
    std::vector<double> xs;
    for (const Light* light = myLightList; light != nullptr; light = light->next)
        xs.push_back(light->position.x);
    EXPECT_EQ(xs, (std::vector<double>{3, 2, 1}));
}

TEST_F(SceneBlocks, LightWithOnlyPositionAndColourTakesTheDefaults) {
    // At the origin and without target: no target test, and the spot axis looks down -z.
    accept("light { position <0 0 0> color 0.5 2 1 }");
    ASSERT_NE(myLightList, nullptr);
    const Light& light = *myLightList;
    expectVector(light.position, 0, 0, 0);
    EXPECT_EQ(light.color.red, 0.5);
    EXPECT_EQ(light.color.green, 2);
    EXPECT_EQ(light.color.blue, 1);
    EXPECT_EQ(light.light_type, 0);
    EXPECT_EQ(light.attenuation_type, 2);
    EXPECT_EQ(light.shadow_type, 0);
    EXPECT_EQ(light.radius, 0);
    EXPECT_EQ(light.light_samples, 0);
    // Runtime values, computed by the same cos as the parser's.
    volatile double minAngle = 0.08726646259971647, maxAngle = 0.2617993877991494;
    EXPECT_EQ(light.cosMinAngle, std::cos(minAngle));
    EXPECT_EQ(light.cosMaxAngle, std::cos(maxAngle));
    expectVector(light.direction, 0, 0, -1);
}

TEST_F(SceneBlocks, LightTakesEveryKeyword) {
    accept("light {\n"
           " position <1 2 3> color 1 1 1\n"
           " light_type \"spot\" attenuation_type \"d\" shadow_type \"smooth\"\n"
           " radius 0.25 light_samples 6\n"
           " min_angle 20 max_angle 50\n"
           " target <1 2 13>\n"
           "}");
    ASSERT_NE(myLightList, nullptr);
    const Light& light = *myLightList;
    expectVector(light.position, 1, 2, 3);
    EXPECT_EQ(light.light_type, 1);
    EXPECT_EQ(light.attenuation_type, 1);
    EXPECT_EQ(light.shadow_type, 1);
    EXPECT_EQ(light.radius, 0.25);
    EXPECT_EQ(light.light_samples, 6);
    volatile double minAngle = 20, maxAngle = 50;
    EXPECT_EQ(light.cosMinAngle, std::cos(minAngle * 0.5 * 3.141592653589793 / 180));
    EXPECT_EQ(light.cosMaxAngle, std::cos(maxAngle * 0.5 * 3.141592653589793 / 180));
    EXPECT_DOUBLE_EQ(light.cosMinAngle, std::cos(10 * 3.141592653589793 / 180));
    // target - position, made unit.
    expectVector(light.direction, 0, 0, 1);
}

TEST_F(SceneBlocks, LightStringsAndSampleSynonyms) {
    struct Case {
        const char* settings;
        int light_type, attenuation_type, shadow_type, light_samples;
    };
    const Case cases[] = {
        {"light_type \"point\"", 0, 2, 0, 0},
        {"light_type \"spot\"", 1, 2, 0, 0},
        {"attenuation_type \"none\"", 0, 0, 0, 0},
        {"attenuation_type \"d\"", 0, 1, 0, 0},
        {"attenuation_type \"d2\"", 0, 2, 0, 0},
        {"shadow_type \"sharp\"", 0, 2, 0, 0},
        {"shadow_type \"smooth\" radius 1 samples 3", 0, 2, 1, 3},
        {"shadow_type \"smooth\" radius 1 light_samples 5", 0, 2, 1, 5},
        {"light_type \"spot\" light_type \"point\"", 0, 2, 0, 0}, // the last one counts
        {"samples 7", 0, 2, 0, 7}, // sharp shadows still keep a given count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        SetUp();
        accept(std::string("light { position <0 0 0> color 1 1 1 ") + c.settings + " }");
        ASSERT_NE(myLightList, nullptr);
        EXPECT_EQ(myLightList->light_type, c.light_type);
        EXPECT_EQ(myLightList->attenuation_type, c.attenuation_type);
        EXPECT_EQ(myLightList->shadow_type, c.shadow_type);
        EXPECT_EQ(myLightList->light_samples, c.light_samples);
    }
}

// ---------------------------------------------------------------------------------------
// Surfaces.

TEST_F(SceneBlocks, EachPrimitiveKeepsItsOwnCopyOfTheSurfaceBefore) {
    accept("sphere { center <0 0 0> radius 1 }\n" // before any surface block
           "surface {\n"
           " color 0.1 0.2 0.3 ambient 0.4 diffuse 0.5 brilliance 6 specular 0.7\n"
           " roughness 80 reflection 0.9 reflection_type \"fuzzy\" reflection_samples 11\n"
           " reflection_radius 1.2 refraction 0.13 refraction_index 1.4\n"
           "}\n"
           "sphere { center <0 0 0> radius 1 }\n"
           "surface { color 1 0 0 }\n"
           "sphere { center <0 0 0> radius 1 }\n");
    std::vector<const Object*> objects = objectsInFileOrder();
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(iNumSurface, 2);

    expectSameSurface(objects[0]->surfaceAttrib, defaultSurface());

    SurfaceAttrib first{};
    first.color = {0.1, 0.2, 0.3};
    first.ambient = 0.4;
    first.diffuse = 0.5;
    first.brilliance = 6;
    first.specular = 0.7;
    first.roughness = 80;
    first.reflection = 0.9;
    first.reflection_type = 1;
    first.reflection_samples = 11;
    first.reflection_radius = 1.2;
    first.refraction = 0.13;
    first.refraction_index = 1.4;
    {
        SCOPED_TRACE("primitive after the first surface");
        expectSameSurface(objects[1]->surfaceAttrib, first);
    }

    // The second block starts again from the defaults.
    SurfaceAttrib second = defaultSurface();
    second.color = {1, 0, 0};
    {
        SCOPED_TRACE("primitive after the second surface");
        expectSameSurface(objects[2]->surfaceAttrib, second);
        expectSameSurface(*surface, second);
    }
}

TEST_F(SceneBlocks, EmptySurfaceBlockRestoresTheDefaults) {
    current.ambient = 0.5; // whatever the current surface held before
    current.reflection_samples = 99;
    accept("surface { }");
    SurfaceAttrib expected{};
    expected.reflection_samples = 10;
    expected.reflection_radius = 1;
    expected.refraction_index = 1;
    expectSameSurface(*surface, expected);
    EXPECT_EQ(iNumSurface, 1);
}

TEST_F(SceneBlocks, SurfaceColourBoundsAreValid) {
    accept("surface { color 0 1 0 }\nsphere { center <0 0 0> radius 1 }");
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->surfaceAttrib.color.red, 0);
    EXPECT_EQ(myObjectList->surfaceAttrib.color.green, 1);
}

TEST_F(SceneBlocks, LowRefractionIndexIsWarnedAndCorrected) {
    ParseOutcome outcome = parse("surface { refraction_index 0.5 diffuse 0.25 }\n"
                                 "disc { center <0 0 0> normal <0 1 0> radius 1 }\n");
    ASSERT_FALSE(outcome.failed) << outcome.message;
    const std::string warning = " indice of refraction cannot be lower than 1.0";
    const std::size_t at = outcome.out.find(warning);
    ASSERT_NE(at, std::string::npos) << outcome.out;
    EXPECT_EQ(outcome.out.find(warning, at + 1), std::string::npos) << "printed twice";
    EXPECT_EQ(outcome.out.substr(at), warning) << "nothing may follow the warning";
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->surfaceAttrib.refraction_index, 1.0);
    EXPECT_EQ(myObjectList->surfaceAttrib.diffuse, 0.25);
}

TEST_F(SceneBlocks, RefractionIndexOfOneDrawsNoWarning) {
    ParseOutcome outcome = parse("surface { refraction_index 1 }");
    ASSERT_FALSE(outcome.failed);
    EXPECT_EQ(outcome.out.find("indice"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Primitives.

TEST_F(SceneBlocks, SphereKeepsCentreAndRadius) {
    accept("sphere { radius 2 center <1 -2 3> }");
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->kind, kSphere);
    expectVector(myObjectList->shape.sphere.center, 1, -2, 3);
    EXPECT_EQ(myObjectList->shape.sphere.radius, 2);
    EXPECT_EQ(iNumSphere, 1);
    EXPECT_EQ(nPrims, 1);
}

TEST_F(SceneBlocks, PlaneReceivesNegatedNormalAndDistance) {
    struct Case {
        const char* block;
        Vector storedNormal;
        double planeConstant;
    };
    // The plane n.P = distance, seen from the side n points into.
    const Case cases[] = {
        {"plane { normal <0 1 0> distance -1 }", {0, -1, 0}, -1},
        {"plane { normal <0 2 0> distance 3 }", {0, -1, 0}, 3},
        {"plane { distance 0.5 normal <-4 0 0> }", {1, 0, 0}, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        SetUp();
        accept(c.block);
        ASSERT_NE(myObjectList, nullptr);
        EXPECT_EQ(myObjectList->kind, kPlane);
        expectVector(myObjectList->shape.plane.normal, c.storedNormal.x, c.storedNormal.y,
                     c.storedNormal.z);
        EXPECT_EQ(myObjectList->shape.plane.planeConstant, c.planeConstant);
        EXPECT_EQ(iNumPlane, 1);
    }
}

TEST_F(SceneBlocks, CylinderIsAConeWithOneRadiusCountedAsCylinder) {
    accept("cylinder { base <0 0 0> cap <0 0 2> radius 1 }");
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->kind, kCone);
    const ConeData& cone = myObjectList->shape.cone;
    expectVector(cone.base, 0, 0, 0);
    expectVector(cone.cap, 0, 0, 2);
    EXPECT_EQ(cone.base_radius, 1);
    EXPECT_EQ(cone.cap_radius, 1);
    EXPECT_EQ(iNumCylinder, 1);
    EXPECT_EQ(iNumCone, 0);
}

TEST_F(SceneBlocks, PointedConeIsAccepted) {
    accept("cone { cap_radius 0 base <0 0 0> base_radius 1 cap <0 1 0> }");
    ASSERT_NE(myObjectList, nullptr);
    const ConeData& cone = myObjectList->shape.cone;
    expectVector(cone.base, 0, 0, 0);
    expectVector(cone.cap, 0, 1, 0);
    EXPECT_EQ(cone.base_radius, 1);
    EXPECT_EQ(cone.cap_radius, 0);
    EXPECT_EQ(iNumCone, 1);
    EXPECT_EQ(iNumCylinder, 0);
}

TEST_F(SceneBlocks, RingRadiiInEitherOrderMakeTheSameRing) {
    accept("ring { center <1 2 3> normal <0 1 0> internal_radius 3 external_radius 1 }\n"
           "ring { center <1 2 3> normal <0 1 0> internal_radius 1 external_radius 3 }\n");
    std::vector<const Object*> objects = objectsInFileOrder();
    ASSERT_EQ(objects.size(), 2u);
    for (const Object* ring : objects) {
        EXPECT_EQ(ring->kind, kRing);
        EXPECT_EQ(ring->shape.ring.internalRadiusSquared, 1);
        EXPECT_EQ(ring->shape.ring.externalRadiusSquared, 9);
        expectVector(ring->shape.ring.center, 1, 2, 3);
    }
    EXPECT_EQ(iNumRing, 2);
    EXPECT_EQ(iNumDisc, 0);
}

TEST_F(SceneBlocks, DiscIsARingWithoutHole) {
    accept("disc { center <0 1 0> normal <0 0 3> radius 2 }");
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->kind, kRing);
    EXPECT_EQ(myObjectList->shape.ring.internalRadiusSquared, 0);
    EXPECT_EQ(myObjectList->shape.ring.externalRadiusSquared, 4);
    expectVector(myObjectList->shape.ring.normal, 0, 0, 1);
    EXPECT_EQ(iNumDisc, 1);
    EXPECT_EQ(iNumRing, 0);
}

TEST_F(SceneBlocks, PolygonKeepsItsVerticesInOrder) {
    accept("polygon { 5\n"
           " vertex <0 0 0> vertex <2 0 0> vertex <2 2 0> vertex <1 3 0> vertex <0 2 0>\n"
           "}");
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->kind, kPolygon);
    const PolygonData& polygon = myObjectList->shape.polygon;
    ASSERT_EQ(polygon.vertexCount, 5);
    const double xs[] = {0, 2, 2, 1, 0}, ys[] = {0, 0, 2, 3, 2};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        expectVector(polygon.vertices[k], xs[k], ys[k], 0);
    }
    EXPECT_EQ(iNumPolygone, 1);
}

TEST_F(SceneBlocks, TriangleKeepsItsVerticesInOrder) {
    accept("triangle { vertex <0 0 0> vertex <1 0 0> vertex <0 1 0> }");
    ASSERT_NE(myObjectList, nullptr);
    EXPECT_EQ(myObjectList->kind, kTriangle);
    const PolygonData& triangle = myObjectList->shape.polygon;
    expectVector(triangle.vertices[0], 0, 0, 0);
    expectVector(triangle.vertices[1], 1, 0, 0);
    expectVector(triangle.vertices[2], 0, 1, 0);
    // (A - B) x (C - B) for these vertices.
    expectVector(triangle.normal, 0, 0, -1);
    EXPECT_EQ(iNumTriangle, 1);
}

TEST_F(SceneBlocks, PatchNormalsFollowTheirVerticesHoweverInterleaved) {
    // The k-th normal belongs to the k-th vertex; distinct normals show any mix-up.
    const char* layouts[] = {
        "vertex <0 0 0> vertex <1 0 0> vertex <0 1 0>"
        " normal <0 0 1> normal <1 0 1> normal <0 1 1>",
        "vertex <0 0 0> normal <0 0 1> vertex <1 0 0> normal <1 0 1>"
        " vertex <0 1 0> normal <0 1 1>",
        "normal <0 0 1> normal <1 0 1> vertex <0 0 0> normal <0 1 1>"
        " vertex <1 0 0> vertex <0 1 0>",
    };
    const double h = std::sqrt(0.5);
    for (const char* keyword : {"patch", "smooth_triangle"}) {
        for (const char* layout : layouts) {
            SCOPED_TRACE(std::string(keyword) + " " + layout);
            SetUp();
            accept(std::string(keyword) + " { " + layout + " }");
            ASSERT_NE(myObjectList, nullptr);
            EXPECT_EQ(myObjectList->kind, kPatch);
            const PatchData& patch = myObjectList->shape.patch;
            expectVector(patch.vertices[0], 0, 0, 0);
            expectVector(patch.vertices[1], 1, 0, 0);
            expectVector(patch.vertices[2], 0, 1, 0);
            expectVector(patch.vertexNormals[0], 0, 0, 1);
            expectVector(patch.vertexNormals[1], h, 0, h);
            expectVector(patch.vertexNormals[2], 0, h, h);
            EXPECT_EQ(iNumPatch, 1);
        }
    }
}

TEST_F(SceneBlocks, EveryPrimitiveCopiesTheCurrentSurface) {
    accept("surface { color 0.25 0.5 0.75 specular 0.3 reflection_samples 4 }\n"
           "sphere { center <0 0 0> radius 1 }\n"
           "plane { normal <0 1 0> distance 0 }\n"
           "cone { base <0 0 0> cap <0 1 0> base_radius 1 cap_radius 0.5 }\n"
           "cylinder { base <0 0 0> cap <0 1 0> radius 1 }\n"
           "ring { center <0 0 0> normal <0 1 0> internal_radius 1 external_radius 2 }\n"
           "disc { center <0 0 0> normal <0 1 0> radius 1 }\n"
           "polygon { 4 vertex <0 0 0> vertex <1 0 0> vertex <1 1 0> vertex <0 1 0> }\n"
           "triangle { vertex <0 0 0> vertex <1 0 0> vertex <0 1 0> }\n"
           "patch { vertex <0 0 0> vertex <1 0 0> vertex <0 1 0>"
           " normal <0 0 1> normal <0 0 1> normal <0 0 1> }\n");
    std::vector<const Object*> objects = objectsInFileOrder();
    ASSERT_EQ(objects.size(), 9u);
    EXPECT_EQ(nPrims, 9);
    for (const Object* object : objects) {
        SCOPED_TRACE(object->kind);
        expectSameSurface(object->surfaceAttrib, *surface);
    }
}

// ---------------------------------------------------------------------------------------
// A whole scene through parseFile: every block, and the statistics it prints.

TEST_F(SceneBlocks, SceneWithEveryBlockPrintsItsStatistics) {
    const std::string path = dir.write("all.qlx",
                                       "camera { position <0 0 -10> look_at <0 0 0> up <0 1 0> }\n"
                                       "settings { output_name \"out\" output_type \"ppm\" }\n"
                                       "light { position <0 10 0> color 1 1 1 }\n"
                                       "light { position <5 10 0> color 1 1 1"
                                       " shadow_type \"smooth\" radius 1 samples 4 }\n"
                                       "surface { color 1 1 1 }\n"
                                       "sphere { center <0 0 0> radius 1 }\n"
                                       "sphere { center <3 0 0> radius 1 }\n"
                                       "plane { normal <0 1 0> distance -1 }\n"
                                       "cone { base <0 0 0> cap <0 1 0> base_radius 1"
                                       " cap_radius 0 }\n"
                                       "surface { diffuse 1 }\n"
                                       "cylinder { base <0 0 0> cap <0 1 0> radius 1 }\n"
                                       "cylinder { base <1 0 0> cap <1 1 0> radius 1 }\n"
                                       "cylinder { base <2 0 0> cap <2 1 0> radius 1 }\n"
                                       "ring { center <0 0 0> normal <0 1 0>"
                                       " internal_radius 1 external_radius 2 }\n"
                                       "disc { center <0 0 0> normal <0 1 0> radius 1 }\n"
                                       "disc { center <0 1 0> normal <0 1 0> radius 1 }\n"
                                       "polygon { 4 vertex <0 0 0> vertex <1 0 0>"
                                       " vertex <1 1 0> vertex <0 1 0> }\n"
                                       "triangle { vertex <0 0 0> vertex <1 0 0>"
                                       " vertex <0 1 0> }\n"
                                       "patch { vertex <0 0 0> vertex <1 0 0> vertex <0 1 0>"
                                       " normal <0 0 1> normal <0 0 1> normal <0 0 1> }\n"
                                       "smooth_triangle { vertex <0 0 0> vertex <1 0 0>"
                                       " vertex <0 1 0> normal <0 0 1> normal <0 0 1>"
                                       " normal <0 0 1> }\n"
                                       "surface { }\n")
                                 .string();
    testing::internal::CaptureStdout();
    int result = -2;
    try {
        result = parseFile(path.c_str());
    } catch (...) {
        testing::internal::GetCapturedStdout();
        throw;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "\n Parsing " + path +
                       "\n\n Number of sphere(s):\t\t2\n"
                       " Number of ring(s):\t\t1\n"
                       " Number of plane(s):\t\t1\n"
                       " Number of cone(s):\t\t1\n"
                       " Number of cylinder(s):\t\t3\n"
                       " Number of disc(s):\t\t2\n"
                       " Number of polygon(s):\t\t1\n"
                       " Number of triangle(s):\t\t1\n"
                       " Number of patch(es):\t\t2\n"
                       " Number of surface(s):\t\t3\n"
                       " Number of light(s):\t\t2\n");
    EXPECT_EQ(nPrims, 14);
    int lights = 0;
    for (const Light* light = myLightList; light != nullptr; light = light->next) ++lights;
    EXPECT_EQ(lights, 2);
}

} // namespace
