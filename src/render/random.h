#pragma once

// The one source of random numbers of the renderer: a value in [0, 1].
// By default rand() / 2147483647, never seeded, so a single-threaded render is the same on
// every run. A render thread may install a generator of its own (seeded from its band),
// so that no generator state is shared between threads.
double randomUnit();

// Installs, for the calling thread only, a generator seeded from `band`.
void useBandRandom(int band);
// Back to rand() for the calling thread.
void useProcessRandom();
