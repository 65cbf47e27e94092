#pragma once

#include <cstddef>

// The image store: collects rows (in any order, from several threads) and writes the
// picture when closed. The picture goes to a temporary file beside the output name and is
// renamed over it at close, so the output name holds either the complete new picture or
// whatever it held before.

// Appends the extension of iImageType, creates the temporary file, writes the header and
// allocates the picture buffer; prints " Rendering to: %s\n" and " Resolution:   %d x %d\n".
// Returns 0, or -1 when the file cannot be created (or the picture is too large for the
// format's header: a TGA side above 65535, a BMP file above 4 GiB), or -2 when the picture
// buffer cannot be allocated (or would exceed, with the scans' row buffers, 4 GiB or the
// machine's memory). Both messages are printed whatever the result.
int openImage(const char* name, int width, int height);
// `rowPixels`: width pixels of red, green, blue. May be reordered in place. Safe to call
// from several threads at once for different rows. 0, or -1 when no image is open or `row`
// lies outside it.
int writeImageLine(unsigned char* rowPixels, int row);
// Writes every row, closes the file and moves it to its name. 0 on success; -1 on failure,
// after a message on standard error, with the temporary file removed.
int closeImage();
// The full output file name of the last openImage.
const char* imageFileName();
// Removes the temporary file of an open image (async-signal-safe); used when a run is cut
// short.
void discardImage();

// Writers, each with the same scheme and the same results as the store's operations.
int openPPM(const char* name, int width, int height);
int writePPMLine(unsigned char* rowPixels, int row);
int closePPM();
int openTGA(const char* name, int width, int height);
int writeTGALine(unsigned char* rowPixels, int row);
int closeTGA();
int openBMP(const char* name, int width, int height);
int writeBMPLine(unsigned char* rowPixels, int row);
int closeBMP();
