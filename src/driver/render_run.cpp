#include "driver/render_run.h"

#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "accel/traversal.h"
#include "driver/fatal.h"
#include "driver/progress.h"
#include "driver/scene_state.h"
#include "geometry/object.h"
#include "image/image.h"
#include "render/camera.h"
#include "render/light.h"
#include "sampling/scan.h"

#if QUELLIX_MT
#include <pthread.h>

#include "driver/bands.h"
#include "render/random.h"
#endif

namespace {

using Scan = void (*)(int band);

Scan chosenScan() {
    switch (iAntialias) {
    case 1:
        return scanCorners;
    case 2:
        return scanAdaptive;
    default:
        return scanNone;
    }
}

// An interrupted render must not leave its temporary picture behind, nor touch the
// previous picture of that name; the process then dies of the same signal so that the
// caller sees why it ended. A closed terminal or a reader of the progress bar that went
// away ends the run as well.
extern "C" void onInterrupt(int signalNumber) {
    discardImage();
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signalNumber, &fallback, nullptr);
    // Still blocked inside the handler: delivered, with its default action, on return.
    raise(signalNumber);
}

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void catchInterrupts() {
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kInterrupts) {
        sigaddset(&action.sa_mask, signalNumber);
    }
    for (int signalNumber : kInterrupts) {
        sigaction(signalNumber, &action, nullptr);
    }
}

void releaseInterrupts() {
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int signalNumber : kInterrupts) {
        sigaction(signalNumber, &fallback, nullptr);
    }
}

void openPicture() {
    switch (openImage(myDisplay.output_name, myDisplay.width, myDisplay.height)) {
    case 0:
        return;
    case -2:
        std::fflush(stdout);
        std::fprintf(stderr, "\n Not enough memory for a picture of %d x %d pixels\n",
                     myDisplay.width, myDisplay.height);
        fatalExit(1);
    default:
        std::printf("\n Output file: %s could not be created\n", imageFileName());
        fatalExit(255);
    }
}

#if QUELLIX_MT
extern "C" void* renderBand(void* argument) {
    const int band = static_cast<int>(reinterpret_cast<std::intptr_t>(argument));
    useBandRandom(band);
    chosenScan()(band);
    return nullptr;
}

void renderBands() {
    const int count = numThreads;
    pthread_t threads[kMaxBands];
    for (int band = 0; band < count; ++band) {
        void* argument = reinterpret_cast<void*>(static_cast<std::intptr_t>(band));
        if (pthread_create(&threads[band], nullptr, renderBand, argument) != 0) {
            // Not a success: the picture is incomplete and is not written.
            std::printf(" Thread creation failed!!\n\n");
            fatalExit(1);
        }
    }
    for (int band = 0; band < count; ++band) {
        pthread_join(threads[band], nullptr);
    }
}
#else
void renderBands() {
    chosenScan()(0);
}
#endif

} // namespace

void doTrace() {
#if QUELLIX_MT
    std::printf(" Multi-threaded version of QUELLIX running.\n\n");
    initMTBounds(numThreads);
#else
    iBounds[0] = {0, myDisplay.height};
#endif
    // The camera frame is derived once, here, before any band reads it.
    Ray primary = {};
    screenInit(primary);

    catchInterrupts();
    openPicture();
    showProgressInit();

    const std::clock_t start = std::clock();
    renderBands();
    const std::clock_t end = std::clock();
    // Processor time of all threads together, not elapsed time.
    const double seconds =
        static_cast<double>(static_cast<unsigned long>(end - start)) / CLOCKS_PER_SEC;
    std::printf("\n\n Rendering time: %4.2f second(s)\n", seconds);
#if QUELLIX_COUNT_RAYS
    std::fprintf(stderr, "rays traced: %lld\n", raysTraced());
#endif

    if (closeImage() != 0) {
        fatalExit(1); // the store has said why; the previous picture is untouched
    }
    releaseInterrupts();

    freeList(&myObjectList);
    freeList(&myLightList);
}
