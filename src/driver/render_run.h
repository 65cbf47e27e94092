#pragma once

// The render run: opens the picture, renders every band, prints the processor time,
// writes the picture and frees the object and light lists. Ends the process itself when
// the picture cannot be opened or written.
void doTrace();
