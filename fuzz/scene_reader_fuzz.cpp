// In-process fuzzer of the scene reader. Each input is written to a scene file in the
// working directory (fuzz/run starts the fuzzer in an empty temporary one, so an
// "include" can only reach that file or fail to open) and read with parseFile. A scene
// that reads completely also gets its hierarchy built and a tiny picture traced, so that
// extreme values that pass the reader are carried through the geometry as well.
// Every input must end in a clean parse, a scene error or an unopenable file; the
// sanitizers and the leak check catch everything else.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "accel/slabs.h"
#include "driver/scene_state.h"
#include "geometry/object.h"
#include "render/camera.h"
#include "render/light.h"
#include "sampling/scan.h"
#include "scene/parser.h"
#include "scene/reader.h"
#include "scene/scene_error.h"

namespace {

constexpr char kSceneName[] = "fuzz.qlx";

// A picture of 4 x 3 pixels, with sample counts cut down so that one input stays fast
// whatever the scene asks for. Counts of 0 or below are kept: those are worth reaching.
constexpr int kWidth = 4;
constexpr int kHeight = 3;
constexpr int kMaxSamples = 2;

void limitSamples(int& samples) {
    if (samples > kMaxSamples) {
        samples = kMaxSamples;
    }
}

void dropRow(unsigned char*, int) {}

void resetAll() {
    freeList(&myObjectList);
    freeList(&myLightList);
    resetSceneState();
    setMainDefaults();
    resetReaderState();
    nPrims = 0;
    resetCameraFrame();
}

void traceTinyPicture() {
    myDisplay.width = kWidth;
    myDisplay.height = kHeight;
    // More entries than a scene of the longest input can have nodes: no queue overflow.
    iPQSize = 1 << 14;
    limitSamples(myViewPoint.camera_samples);
    for (Light* light = myLightList; light != nullptr; light = light->next) {
        limitSamples(light->light_samples);
    }
    for (Object* object = myObjectList; object != nullptr; object = object->next) {
        limitSamples(object->surfaceAttrib.reflection_samples);
    }
    buildBoundingSlabs();
    Ray primary = {};
    screenInit(primary);
    iBounds[0] = {0, kHeight};
    switch (iAntialias) {
    case 1:
        scanCorners(0);
        break;
    case 2:
        scanAdaptive(0);
        break;
    default:
        scanNone(0);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader's messages would only slow the fuzzer down.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 1;
    }
    scanRowSink = dropRow;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* scene = std::fopen(kSceneName, "wb");
    if (scene == nullptr) {
        std::perror(kSceneName);
        __builtin_trap();
    }
    if (size > 0) {
        std::fwrite(data, 1, size, scene);
    }
    std::fclose(scene);

    resetAll();
    try {
        if (parseFile(kSceneName) == 0) {
            traceTinyPicture();
        }
    } catch (const SceneError&) {
    } catch (const SceneFileError&) {
    }
    resetAll();
    return 0;
}
