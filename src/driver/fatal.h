#pragma once

// Ends the process from anywhere, any thread, during a render: flushes standard output and
// error, removes the temporary picture of an open image, and exits with `status` at once
// (without running exit handlers while other render threads may still be running).
[[noreturn]] void fatalExit(int status);
