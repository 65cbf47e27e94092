#pragma once

// One-line progress bar on standard output.
void showProgressInit();
// One mark (six 0xB1 bytes, flushed at once) when row is a multiple of height / 10
// (every row when the height is below 10).
void showProgress(int row);
