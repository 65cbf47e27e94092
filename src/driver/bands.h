#pragma once

// Splits the image rows (myDisplay.height) into `count` bands of iBounds and prints the
// thread messages; any count but 2, 4 or 8 falls back to 2 and sets numThreads to 2.
void initMTBounds(int count);
