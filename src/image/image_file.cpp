#include "image/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The temporary file lives here so that a signal handler can remove it without touching
// anything that allocates.
char pendingPath[PATH_MAX];
std::atomic<bool> pendingSet{false};
static_assert(std::atomic<bool>::is_always_lock_free);

std::string targetPath;  // where the finished picture goes (a symlink's target, resolved)
std::string displayName; // the name as the user gave it, for messages

constexpr char kTempSuffix[] = ".tmpXXXXXX";
constexpr char kShortTempName[] = "quellix.tmpXXXXXX";

// Writing through a symlink keeps the link and replaces what it points to, as opening the
// name for writing would.
std::string resolveTarget(const char* fileName) {
    struct stat linkInfo;
    if (lstat(fileName, &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(fileName, resolved) != nullptr) {
            return resolved;
        }
    }
    return fileName;
}

// The permissions the output gets: those of the file it replaces, or what creating a new
// file would give. `ok` is false when the name cannot take a picture (a folder, a special
// file, a file we may not write).
mode_t outputMode(const std::string& target, bool& ok) {
    ok = true;
    struct stat info;
    if (stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || access(target.c_str(), W_OK) != 0) {
            ok = false;
        }
        return info.st_mode & 0777;
    }
    if (errno != ENOENT) {
        ok = false;
    }
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// "<target>.tmpXXXXXX", or a short name in the same folder when that would make the last
// path component too long. False when the target itself could never be renamed into place.
bool buildTemplate(const std::string& target, char* buffer, std::size_t size) {
    std::size_t slash = target.rfind('/');
    std::size_t baseLength = slash == std::string::npos ? target.size() : target.size() - slash - 1;
    if (baseLength > NAME_MAX) {
        return false;
    }
    std::string name;
    if (baseLength + sizeof kTempSuffix - 1 <= NAME_MAX) {
        name = target + kTempSuffix;
    } else {
        name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
               kShortTempName;
    }
    if (name.size() >= size) {
        return false;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return true;
}

void forgetPending() {
    pendingSet.store(false);
}

// The picture stays whole in memory until it is written, and calloc promises pages it
// may never be able to deliver. A picture beyond the machine's memory, or beyond 4 GiB
// (already the most a BMP file can hold), is refused before rendering starts rather than
// rendered for hours and then lost to the out-of-memory killer. The scans' own row
// buffers count too, which matters only for absurdly wide pictures: up to eight threads
// keep up to seven rows' worth each.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 32;
constexpr std::uint64_t kScanRows = 8 * 7;

std::uint64_t largestPicture() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) {
        return kMaxPictureBytes;
    }
    const std::uint64_t memory =
        static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    return memory < kMaxPictureBytes ? memory : kMaxPictureBytes;
}

} // namespace

std::FILE* createImageFile(const char* fileName) {
    displayName = fileName;
    targetPath = resolveTarget(fileName);
    bool ok = false;
    mode_t mode = outputMode(targetPath, ok);
    if (!ok) {
        return nullptr;
    }
    char path[PATH_MAX];
    if (!buildTemplate(targetPath, path, sizeof path)) {
        return nullptr;
    }
    int fd = mkstemp(path);
    if (fd < 0) {
        return nullptr;
    }
    std::memcpy(pendingPath, path, sizeof path);
    pendingSet.store(true);
    std::FILE* file = nullptr;
    if (fchmod(fd, mode) != 0 || (file = fdopen(fd, "wb")) == nullptr) {
        close(fd);
        unlink(pendingPath);
        forgetPending();
        return nullptr;
    }
    return file;
}

int finishImageFile(std::FILE* file) {
    // errno of the first step that failed; a failed fwrite leaves it set and the stream's
    // error flag on.
    bool failed = std::ferror(file) != 0;
    int error = failed ? errno : 0;
    if (std::fflush(file) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (std::fclose(file) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (!failed && std::rename(pendingPath, targetPath.c_str()) != 0) {
        failed = true;
        error = errno;
    }
    if (failed) {
        unlink(pendingPath);
        forgetPending();
        std::fprintf(stderr, "\n Output file: %s could not be written (%s)\n", displayName.c_str(),
                     error != 0 ? std::strerror(error) : "write error");
        return -1;
    }
    forgetPending();
    return 0;
}

void abandonImageFile(std::FILE* file) {
    std::fclose(file);
    unlink(pendingPath);
    forgetPending();
}

void removePendingImageFile() noexcept {
    if (pendingSet.load()) {
        unlink(pendingPath);
        pendingSet.store(false);
    }
}

Picture allocatePicture(int width, int height) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    // Both factors are below 2^31, so the product of the first two fits in 64 bits.
    std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint64_t scanBytes = kScanRows * rowBytes(width);
    if (pixels > PTRDIFF_MAX / 3 || pixels * 3 + scanBytes > largestPicture()) {
        return nullptr;
    }
    // calloc leaves fresh pages untouched until rows arrive.
    return Picture(static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(pixels), 3)));
}

void swapRedBlue(unsigned char* row, int width) {
    for (int x = 0; x < width; ++x) {
        unsigned char* pixel = row + static_cast<std::size_t>(x) * 3;
        unsigned char red = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = red;
    }
}

int openWriter(WriterState& state, const char* fileName, int width, int height,
               void (*writeHeader)(std::FILE* file, int width, int height)) {
    state.fp = createImageFile(fileName);
    if (state.fp == nullptr) {
        return -1;
    }
    writeHeader(state.fp, width, height);
    state.image = allocatePicture(width, height);
    if (!state.image) {
        abandonImageFile(state.fp);
        state.fp = nullptr;
        return -2;
    }
    state.width = width;
    state.height = height;
    return 0;
}

int storeRow(WriterState& state, const unsigned char* rowPixels, int row) {
    if (!state.image || row < 0 || row >= state.height) {
        return -1;
    }
    std::size_t bytes = rowBytes(state.width);
    std::memcpy(state.image.get() + static_cast<std::size_t>(row) * bytes, rowPixels, bytes);
    return 0;
}

int closeWriter(WriterState& state, RowOrder order, std::size_t padding) {
    if (state.fp == nullptr) {
        return -1;
    }
    static constexpr unsigned char kPadding[3] = {0, 0, 0};
    std::size_t bytes = rowBytes(state.width);
    for (int k = 0; k < state.height; ++k) {
        int row = order == RowOrder::TopDown ? k : state.height - 1 - k;
        const unsigned char* pixels = state.image.get() + static_cast<std::size_t>(row) * bytes;
        if (std::fwrite(pixels, 1, bytes, state.fp) != bytes ||
            std::fwrite(kPadding, 1, padding, state.fp) != padding) {
            break;
        }
    }
    state.image.reset();
    std::FILE* file = state.fp;
    state.fp = nullptr;
    return finishImageFile(file);
}
