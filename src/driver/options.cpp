#include "driver/options.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/scene_state.h"

#ifndef QUELLIX_MT
#error "QUELLIX_MT must be 0 (quellix) or 1 (quellix-mt)"
#endif

namespace {

struct UsageLine {
    const char* option;
    const char* argument;
    const char* description;
    bool threadedOnly;
};

// The wording (typos included) is what users of earlier versions know; the parser accepts
// the correctly spelt forms only.
constexpr UsageLine kUsageLines[] = {
    {"-i/--input", "filename", "read filename as input", false},
    {"-o/--ouput", "filename", "write output to 'filename' (no extension)", false},
    {"-w/--width", "integer", "specify with of the output image", false},
    {"-h/--height", "integer", "specify height of the output image", false},
    {"-r/--resolution", "int int", "specify width and height of the output image", false},
    {"-t/--thread", "int", "specify the number thread to use (2, 4 or 8)", true},
    {"-j/--jitter", "", "activate jittering", false},
    {"-aaa/--aaadatpive", "double", "activate adaptive anti-aliasing", false},
    {"-aaq/--aaquick", "", "activate quick anti-aliasing", false},
    {"-aan/--aanone", "", "deactivate anti-aliasing", false},
    {"-tga/--tga", "", "TGA output image", false},
    {"-bmp/--bmp", "", "BMP output image", false},
    {"-ppm/--ppm", "", "PPM output image", false},
    {"-?/--help", "", "this help message", false},
};

constexpr bool kThreaded = QUELLIX_MT != 0;

bool is(const char* word, const char* shortForm, const char* longForm) {
    return std::strcmp(word, shortForm) == 0 || std::strcmp(word, longForm) == 0;
}

// atoi's rules (leading blanks, sign, digits up to the first other character, 0 without
// digits), but a value beyond int saturates instead of being undefined.
int toInt(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

// Copies a file name into a fixed field of `capacity` bytes; a longer word is refused.
void copyName(char* field, std::size_t capacity, const char* word) {
    std::size_t length = std::strlen(word);
    if (length >= capacity) {
        help();
    }
    std::memcpy(field, word, length + 1);
}

// An image size from the command line must be a real size.
int toSize(const char* text) {
    int value = toInt(text);
    if (value <= 0) {
        help();
    }
    return value;
}

// Walks the words once; `next()` hands out the value word of an option.
class Words {
  public:
    Words(int argc, char** argv) : argc_(argc), argv_(argv) {}
    bool done() const { return index_ >= argc_; }
    const char* take() { return argv_[index_++]; }
    const char* next() {
        if (index_ >= argc_) {
            help();
        }
        return argv_[index_++];
    }

  private:
    int argc_;
    char** argv_;
    int index_ = 1;
};

} // namespace

void showCredits() {
    if constexpr (kThreaded) {
        std::printf("\n QUELLIX v0.1 beta 14 (macosx-powerpc-multithreaded)\n");
    } else {
        std::printf("\n QUELLIX v0.1 beta 14 (macosx-powerpc)\n");
    }
}

void showUsage() {
    std::printf("\n Usage: quellix [options] scenefile [...]\n\n");
    std::printf(" Example: quellix -i scene.qlx\n\n");
    std::printf(" Options:\n");
    for (const UsageLine& line : kUsageLines) {
        if (line.threadedOnly && !kThreaded) {
            continue;
        }
        std::printf("  %-19s%-12s%s\n", line.option, line.argument, line.description);
    }
    std::printf("\n");
    std::printf(" Report bugs to:         quellix-bugs@example.org\n");
    std::printf(" Send suggestions to:    quellix-ideas@example.org\n");
}

void help() {
    showUsage();
    std::exit(-1);
}

void parseArgs(int argc, char** argv) {
    bool haveInput = false;
    Words words(argc, argv);
    while (!words.done()) {
        const char* word = words.take();
        if (std::strcmp(word, "/?") != 0 && word[0] != '-') {
            continue; // a bare word, not even a scene name
        }
        if (is(word, "-?", "--help") || std::strcmp(word, "/?") == 0) {
            help();
        } else if (is(word, "-o", "--output")) {
            copyName(myDisplay.output_name, sizeof myDisplay.output_name, words.next());
        } else if (is(word, "-i", "--input")) {
            copyName(inputFileName, sizeof inputFileName, words.next());
            haveInput = true;
        } else if (is(word, "-aaa", "--aaadaptive")) {
            iAntialias = 2;
            adapt_dist = toInt(words.next());
            if (adapt_dist == 0) {
                help();
            }
        } else if (kThreaded && is(word, "-t", "--thread")) {
            numThreads = toInt(words.next());
            if (numThreads != 2 && numThreads != 4 && numThreads != 8) {
                std::printf(" Invalid number of threads: defaulting to 2 threads\n");
                numThreads = 2;
            }
        } else if (is(word, "-pqs", "--pqsize")) {
            iPQSize = toInt(words.next());
            if (iPQSize <= 100) {
                std::printf("\n Defaulting priority queue size to 100\n");
                iPQSize = 100;
            }
        } else if (is(word, "-aaq", "--aaquick")) {
            iAntialias = 1;
        } else if (is(word, "-aan", "--aanone")) {
            iAntialias = 0;
        } else if (is(word, "-j", "--jitter")) {
            jitter = 1;
        } else if (is(word, "-r", "--resolution")) {
            myDisplay.width = toSize(words.next());
            myDisplay.height = toSize(words.next());
        } else if (is(word, "-w", "--width")) {
            myDisplay.width = toSize(words.next());
        } else if (is(word, "-h", "--height")) {
            myDisplay.height = toSize(words.next());
        } else if (is(word, "-tga", "--tga")) {
            iImageType = 0;
        } else if (is(word, "-bmp", "--bmp")) {
            iImageType = 1;
        } else if (is(word, "-ppm", "--ppm")) {
            iImageType = 2;
        } else {
            help(); // unrecognised option
        }
    }
    if (!haveInput) {
        help();
    }
}
