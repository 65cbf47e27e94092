#pragma once

// The command line. Built into each program: quellix-mt has the thread option and its
// own banner, quellix has neither.

// Applies every option of argv[1..argc-1] to the scene state, in order. Ends the process
// through help() on a bad or missing word, or when no "-i" names the scene.
void parseArgs(int argc, char** argv);
// Usage text, then exit status 255.
[[noreturn]] void help();
void showUsage();
void showCredits();
