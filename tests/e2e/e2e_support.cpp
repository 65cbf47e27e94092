#include "e2e_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "run_program.h"

namespace fs = std::filesystem;

fs::path folderPath(SceneFolder folder) {
    switch (folder) {
    case SceneFolder::Golden:
        return goldenDir() / "scenes";
    case SceneFolder::Examples:
        return sourceDir() / "examples";
    case SceneFolder::Shared:
        return sharedScenesDir();
    }
    return {};
}

fs::path goldenDir() {
    return sourceDir() / "tests" / "golden";
}
fs::path mismatchDir() {
    return QUELLIX_MISMATCH_DIR;
}

void stageScene(SceneFolder folder, const std::string& scene, const fs::path& dir) {
    if (folder == SceneFolder::Golden) {
        for (const auto& entry : fs::directory_iterator(folderPath(folder))) {
            fs::copy_file(entry.path(), dir / entry.path().filename());
        }
    } else {
        fs::copy_file(folderPath(folder) / scene, dir / scene);
    }
}

std::string readFile(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << bytes;
    if (!stream) {
        ADD_FAILURE() << "cannot write " << file;
    }
}

std::string withoutTime(const std::string& out) {
    static const std::regex time("Rendering time: [ 0-9]+\\.[0-9]{2} second");
    return std::regex_replace(out, time, "Rendering time: #.## second");
}

std::optional<fs::path> findPicture(const fs::path& dir, const std::string& stem) {
    std::optional<fs::path> found;
    for (const char* extension : {".tga", ".bmp", ".ppm"}) {
        fs::path candidate = dir / (stem + extension);
        if (fs::exists(candidate)) {
            if (found) {
                return std::nullopt;
            }
            found = candidate;
        }
    }
    return found;
}

namespace {

unsigned byteAt(const std::string& bytes, std::size_t k) {
    return static_cast<unsigned char>(bytes[k]);
}

unsigned little16(const std::string& bytes, std::size_t k) {
    return byteAt(bytes, k) | byteAt(bytes, k + 1) << 8;
}

std::size_t ppmHeaderSize(int width, int height) {
    return ("P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n").size();
}

std::size_t bmpRowSize(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

} // namespace

std::optional<PictureSize> pictureSize(const std::string& bytes, const std::string& extension) {
    if (extension == ".tga" && bytes.size() >= 18) {
        return PictureSize{static_cast<int>(little16(bytes, 12)),
                           static_cast<int>(little16(bytes, 14))};
    }
    if (extension == ".bmp" && bytes.size() >= 54) {
        // Widths and heights of our pictures fit in the low 16 bits of the 32-bit fields.
        return PictureSize{static_cast<int>(little16(bytes, 18)),
                           static_cast<int>(little16(bytes, 22))};
    }
    if (extension == ".ppm") {
        std::istringstream stream(bytes);
        std::string magic;
        int width = 0;
        int height = 0;
        if (stream >> magic >> width >> height && magic == "P6") {
            return PictureSize{width, height};
        }
    }
    return std::nullopt;
}

std::size_t expectedFileSize(const std::string& extension, int width, int height) {
    const std::size_t pixels = static_cast<std::size_t>(width) * height * 3;
    if (extension == ".tga") {
        return 18 + pixels;
    }
    if (extension == ".bmp") {
        return 54 + bmpRowSize(width) * height;
    }
    return ppmHeaderSize(width, height) + pixels;
}

std::size_t firstDifference(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    return static_cast<std::size_t>(
        std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(common), b.begin()).first -
        a.begin());
}

std::string pixelAt(const std::string& bytes, const std::string& extension, std::size_t offset) {
    const std::optional<PictureSize> size = pictureSize(bytes, extension);
    if (!size || size->width <= 0) {
        return "";
    }
    std::size_t header = 0;
    std::size_t rowSize = static_cast<std::size_t>(size->width) * 3;
    if (extension == ".tga") {
        header = 18;
    } else if (extension == ".bmp") {
        header = 54;
        rowSize = bmpRowSize(size->width);
    } else {
        header = ppmHeaderSize(size->width, size->height);
    }
    if (offset < header) {
        return " (in the header)";
    }
    std::size_t row = (offset - header) / rowSize;
    const std::size_t column = (offset - header) % rowSize / 3;
    // BMP stores the bottom row first, and so does a TGA without the top-left origin bit.
    const bool bottomFirst =
        extension == ".bmp" || (extension == ".tga" && (byteAt(bytes, 17) & 0x20) == 0);
    if (bottomFirst && row < static_cast<std::size_t>(size->height)) {
        row = static_cast<std::size_t>(size->height) - 1 - row;
    }
    return " (row " + std::to_string(row) + ", column " + std::to_string(column) + ")";
}

void expectSameBytes(const std::string& what, const std::string& actual,
                     const std::string& expected, const std::string& extension,
                     const std::string& keepAs) {
    const fs::path kept = mismatchDir() / keepAs;
    if (actual == expected) {
        std::error_code ignored;
        fs::remove(kept, ignored);
        return;
    }
    fs::create_directories(mismatchDir());
    writeFile(kept, actual);
    const std::size_t offset = firstDifference(actual, expected);
    ADD_FAILURE() << what << ": first difference at byte " << offset
                  << pixelAt(expected, extension, offset) << "; " << actual.size()
                  << " bytes produced, " << expected.size() << " expected; produced file kept as "
                  << kept.string();
}

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(dirs, folder, ':')) {
        fs::path candidate = fs::path(folder.empty() ? "." : folder) / name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return "";
}
