#pragma once

#include <string>

// The fixed texts of both programs, written out here independently of the code that
// prints them.

inline std::string bannerText(bool threaded) {
    return threaded ? "\n QUELLIX v0.1 beta 14 (macosx-powerpc-multithreaded)\n"
                    : "\n QUELLIX v0.1 beta 14 (macosx-powerpc)\n";
}

inline std::string usageText(bool threaded) {
    std::string text =
        "\n Usage: quellix [options] scenefile [...]\n"
        "\n"
        " Example: quellix -i scene.qlx\n"
        "\n"
        " Options:\n"
        "  -i/--input         filename    read filename as input\n"
        "  -o/--ouput         filename    write output to 'filename' (no extension)\n"
        "  -w/--width         integer     specify with of the output image\n"
        "  -h/--height        integer     specify height of the output image\n"
        "  -r/--resolution    int int     specify width and height of the output image\n";
    if (threaded) {
        text += "  -t/--thread        int         specify the number thread to use (2, 4 or 8)\n";
    }
    text += "  -j/--jitter                    activate jittering\n"
            "  -aaa/--aaadatpive  double      activate adaptive anti-aliasing\n"
            "  -aaq/--aaquick                 activate quick anti-aliasing\n"
            "  -aan/--aanone                  deactivate anti-aliasing\n"
            "  -tga/--tga                     TGA output image\n"
            "  -bmp/--bmp                     BMP output image\n"
            "  -ppm/--ppm                     PPM output image\n"
            "  -?/--help                      this help message\n"
            "\n"
            " Report bugs to:         quellix-bugs@example.org\n"
            " Send suggestions to:    quellix-ideas@example.org\n";
    return text;
}

inline const std::string kBadThreads = " Invalid number of threads: defaulting to 2 threads\n";
inline const std::string kSmallQueue = "\n Defaulting priority queue size to 100\n";
