#include <cstdio>
#include <exception>

#include "accel/slabs.h"
#include "driver/options.h"
#include "driver/render_run.h"
#include "driver/scene_state.h"
#include "scene/parser.h"
#include "scene/scene_error.h"

namespace {

// Reads the scene; false when it is incomplete or wrong (the reason is printed).
bool readScene() {
    try {
        return parseFile(inputFileName) == 0;
    } catch (const SceneError& error) {
        printSceneError(error);
    } catch (const SceneFileError& error) {
        printSceneFileError(error);
    }
    return false;
}

int run(int argc, char** argv) {
    setMainDefaults();
    showCredits();
    if (argc <= 1) {
        showUsage();
        return -1;
    }
    parseArgs(argc, argv);
    if (!readScene()) {
        return -1;
    }
    // Again, so that the command line wins over the scene's settings.
    parseArgs(argc, argv);
    std::printf("\n Number of primitives:\t\t%ld\n\n", nPrims);
    buildBoundingSlabs();
    doTrace();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        // Nothing but an exhausted memory should get here; still a message, not an abort.
        std::fflush(stdout);
        std::fprintf(stderr, "\n quellix: %s\n", error.what());
        return 1;
    }
}
