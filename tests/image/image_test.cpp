#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/scene_state.h"
#include "image/image.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

enum ImageType { kTga = 0, kBmp = 1, kPpm = 2 };

const char* typeName(int type) {
    static const char* const names[] = {"tga", "bmp", "ppm"};
    return names[type];
}

using Bytes = std::vector<unsigned char>;

Bytes readBytes(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const fs::path& file) {
    Bytes bytes = readBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> directoryEntries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A picture whose three channels differ everywhere, so swapped channels, swapped rows and
// wrong strides all show.
unsigned char channel(int x, int y, int c) {
    return static_cast<unsigned char>(c == 0   ? 10 + 40 * x + y
                                      : c == 1 ? 100 + 30 * y + x
                                               : 250 - 7 * x - 11 * y);
}

Bytes patternRow(int width, int y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) {
            row.push_back(channel(x, y, c));
        }
    }
    return row;
}

// Opens an image with its messages captured; returns openImage's result.
int openQuiet(const std::string& name, int width, int height, std::string* messages = nullptr) {
    testing::internal::CaptureStdout();
    int result = openImage(name.c_str(), width, height);
    std::string out = testing::internal::GetCapturedStdout();
    if (messages != nullptr) {
        *messages = out;
    }
    return result;
}

void storeRows(int width, const std::vector<int>& order) {
    for (int y : order) {
        Bytes row = patternRow(width, y);
        ASSERT_EQ(writeImageLine(row.data(), y), 0) << "row " << y;
    }
}

std::vector<int> rowsInOrder(int height) {
    std::vector<int> rows;
    for (int y = 0; y < height; ++y) {
        rows.push_back(y);
    }
    return rows;
}

class ImageTest : public testing::Test {
  protected:
    void SetUp() override { resetSceneState(); }
    void TearDown() override {
        discardImage();
        resetSceneState();
    }

    // The full file of a picture of the pattern stored in `order`.
    Bytes render(int type, const std::string& name, int width, int height,
                 const std::vector<int>& order) {
        iImageType = type;
        fs::path base = dir.path() / name;
        EXPECT_EQ(openQuiet(base.string(), width, height), 0);
        storeRows(width, order);
        EXPECT_EQ(closeImage(), 0);
        return readBytes(base.string() + "." + typeName(type));
    }

    TempDir dir;
};

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ImageTest, HeadersOf640By480) {
    struct Case {
        int type;
        Bytes header;
        std::size_t fileSize;
    };
    const Case cases[] = {
        {kPpm, bytesOf("P6\n640 480\n255\n"), 15 + 921600},
        {kTga,
         {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x02, 0xE0,
          0x01, 0x18, 0x20},
         18 + 921600},
        {kBmp,
         concat({0x42, 0x4D, 0x36, 0x10, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00,
                 0x00, 0x28, 0x00, 0x00, 0x00, 0x80, 0x02, 0x00, 0x00, 0xE0, 0x01, 0x00, 0x00,
                 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x0E, 0x00},
                Bytes(16, 0x00)),
         921654},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(typeName(c.type));
        Bytes file = render(c.type, "scene", 640, 480, rowsInOrder(480));
        ASSERT_EQ(file.size(), c.fileSize);
        EXPECT_EQ(Bytes(file.begin(), file.begin() + c.header.size()), c.header);
    }
}

TEST_F(ImageTest, OneRedPixel) {
    struct Case {
        int type;
        Bytes file;
    };
    Bytes bmpHeader = {0x42, 0x4D, 58, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0, 0, 0, 1,
                       0,    0,    0,  1, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  4, 0, 0, 0};
    const Case cases[] = {
        {kPpm,
         {0x50, 0x36, 0x0A, 0x31, 0x20, 0x31, 0x0A, 0x32, 0x35, 0x35, 0x0A, 0xFF, 0x00, 0x00}},
        {kTga, {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0x20, 0x00, 0x00, 0xFF}},
        {kBmp, concat(concat(bmpHeader, Bytes(16, 0)), {0x00, 0x00, 0xFF, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(typeName(c.type));
        iImageType = c.type;
        fs::path base = dir.path() / "red";
        ASSERT_EQ(openQuiet(base.string(), 1, 1), 0);
        unsigned char red[3] = {255, 0, 0};
        ASSERT_EQ(writeImageLine(red, 0), 0);
        ASSERT_EQ(closeImage(), 0);
        EXPECT_EQ(readBytes(base.string() + "." + typeName(c.type)), c.file);
    }
}

TEST_F(ImageTest, BmpRowsArePaddedAndStoredBottomUp) {
    Bytes file = render(kBmp, "small", 3, 2, {0, 1});
    Bytes expected = {0x42, 0x4D, 78, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0,  0, 0, 3,
                      0,    0,    0,  2, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  24, 0, 0, 0};
    expected.resize(54, 0);
    for (int y : {1, 0}) {
        for (int x = 0; x < 3; ++x) {
            for (int c : {2, 1, 0}) {
                expected.push_back(channel(x, y, c));
            }
        }
        expected.insert(expected.end(), 3, 0x00);
    }
    EXPECT_EQ(file, expected);
}

TEST_F(ImageTest, RowOrderOfArrivalDoesNotMatter) {
    for (int type : {kTga, kBmp, kPpm}) {
        SCOPED_TRACE(typeName(type));
        Bytes inOrder = render(type, "a", 5, 3, {0, 1, 2});
        Bytes shuffled = render(type, "b", 5, 3, {2, 0, 1});
        EXPECT_EQ(shuffled, inOrder);
    }
}

TEST_F(ImageTest, RowsFromManyThreadsAtOnce) {
    constexpr int kWidth = 37;
    constexpr int kHeight = 64;
    constexpr int kThreads = 8;
    for (int type : {kTga, kBmp, kPpm}) {
        SCOPED_TRACE(typeName(type));
        Bytes sequential = render(type, "seq", kWidth, kHeight, rowsInOrder(kHeight));
        iImageType = type;
        fs::path base = dir.path() / "par";
        ASSERT_EQ(openQuiet(base.string(), kWidth, kHeight), 0);
        std::vector<std::thread> threads;
        std::vector<int> failures(kThreads, 0);
        for (int t = 0; t < kThreads; ++t) {
            // Interleaved rows, so neighbouring rows come from different threads.
            threads.emplace_back([t, &failures] {
                for (int y = t; y < kHeight; y += kThreads) {
                    Bytes row = patternRow(kWidth, y);
                    failures[t] += writeImageLine(row.data(), y) != 0;
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        ASSERT_EQ(closeImage(), 0);
        EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
        EXPECT_EQ(readBytes(base.string() + "." + typeName(type)), sequential);
    }
}

TEST_F(ImageTest, CallersRowIsReorderedInPlaceForTgaAndBmpOnly) {
    for (int type : {kTga, kBmp, kPpm}) {
        SCOPED_TRACE(typeName(type));
        iImageType = type;
        ASSERT_EQ(openQuiet((dir.path() / "row").string(), 2, 1), 0);
        Bytes row = {1, 2, 3, 4, 5, 6};
        ASSERT_EQ(writeImageLine(row.data(), 0), 0);
        EXPECT_EQ(row, type == kPpm ? Bytes({1, 2, 3, 4, 5, 6}) : Bytes({3, 2, 1, 6, 5, 4}));
        ASSERT_EQ(closeImage(), 0);
    }
}

TEST_F(ImageTest, RowsOutsideThePictureAreRefused) {
    unsigned char row[6] = {};
    EXPECT_EQ(writeImageLine(row, 0), -1) << "no image open";
    EXPECT_EQ(closeImage(), -1) << "no image open";
    for (int type : {kTga, kBmp, kPpm}) {
        SCOPED_TRACE(typeName(type));
        Bytes expected = render(type, "good", 2, 2, {0, 1});
        iImageType = type;
        fs::path base = dir.path() / "bad";
        ASSERT_EQ(openQuiet(base.string(), 2, 2), 0);
        storeRows(2, {0, 1});
        for (int y : {-1, 2, INT_MAX}) {
            Bytes stray = {9, 9, 9, 9, 9, 9};
            EXPECT_EQ(writeImageLine(stray.data(), y), -1) << "row " << y;
        }
        ASSERT_EQ(closeImage(), 0);
        EXPECT_EQ(readBytes(base.string() + "." + typeName(type)), expected);
    }
}

TEST_F(ImageTest, OpenAnnouncesFileAndResolution) {
    for (int type : {kTga, kBmp, kPpm}) {
        SCOPED_TRACE(typeName(type));
        iImageType = type;
        std::string base = (dir.path() / "scene").string();
        std::string full = base + "." + typeName(type);
        std::string messages;
        ASSERT_EQ(openQuiet(base, 320, 240, &messages), 0);
        EXPECT_EQ(messages, " Rendering to: " + full + "\n Resolution:   320 x 240\n");
        EXPECT_EQ(std::string(imageFileName()), full);
        ASSERT_EQ(closeImage(), 0);
    }
}

TEST_F(ImageTest, OutputThatCannotBeCreatedIsRefusedAfterBothMessages) {
    fs::create_directory(dir.path() / "taken.bmp");
    struct Case {
        const char* what;
        int type;
        std::string name;
        int width;
        int height;
    };
    const Case cases[] = {
        {"missing folder", kBmp, (dir.path() / "missing" / "scene").string(), 4, 4},
        {"name of a folder", kBmp, (dir.path() / "taken").string(), 4, 4},
        {"name too long", kPpm, (dir.path() / std::string(300, 'n')).string(), 4, 4},
        {"TGA too wide", kTga, (dir.path() / "wide").string(), 65536, 1},
        {"TGA too tall", kTga, (dir.path() / "tall").string(), 1, 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        iImageType = c.type;
        std::string full = c.name + "." + typeName(c.type);
        std::string messages;
        EXPECT_EQ(openQuiet(c.name, c.width, c.height, &messages), -1);
        EXPECT_EQ(messages, " Rendering to: " + full + "\n Resolution:   " +
                                std::to_string(c.width) + " x " + std::to_string(c.height) + "\n");
        EXPECT_EQ(std::string(imageFileName()), full);
        EXPECT_EQ(writeImageLine(nullptr, 0), -1);
        EXPECT_EQ(closeImage(), -1);
    }
    EXPECT_EQ(directoryEntries(dir.path()), std::vector<std::string>{"taken.bmp"});
}

// The temporary name must not be what makes a long but valid name fail.
TEST_F(ImageTest, LongestFileNameStillWorks) {
    std::string base = std::string(251, 'n');
    Bytes file = render(kPpm, base, 2, 1, {0});
    EXPECT_EQ(file.size(), 11u + 6u);
    EXPECT_EQ(directoryEntries(dir.path()), std::vector<std::string>{base + ".ppm"});
}

TEST_F(ImageTest, LargestTgaStillFitsItsHeader) {
    iImageType = kTga;
    fs::path base = dir.path() / "edge";
    ASSERT_EQ(openQuiet(base.string(), 65535, 1), 0);
    ASSERT_EQ(closeImage(), 0);
    Bytes file = readBytes(base.string() + ".tga");
    ASSERT_EQ(file.size(), 18u + 65535u * 3u);
    EXPECT_EQ(Bytes(file.begin() + 12, file.begin() + 16), Bytes({0xFF, 0xFF, 0x01, 0x00}));
}

TEST_F(ImageTest, PictureTooLargeForMemoryLeavesNoFile) {
    iImageType = kPpm;
    EXPECT_EQ(openQuiet((dir.path() / "huge").string(), INT_MAX, INT_MAX), -2);
    EXPECT_EQ(closeImage(), -1);
    EXPECT_TRUE(directoryEntries(dir.path()).empty());
}

TEST_F(ImageTest, PreviousPictureStaysUntilTheNewOneIsComplete) {
    for (int type : {kTga, kBmp, kPpm}) {
        SCOPED_TRACE(typeName(type));
        TempDir local;
        fs::path full = local.path() / (std::string("scene.") + typeName(type));
        writeText(full, "previous picture");
        Bytes expected = render(type, "expected", 5, 3, rowsInOrder(3));

        iImageType = type;
        ASSERT_EQ(openQuiet((local.path() / "scene").string(), 5, 3), 0);
        storeRows(5, rowsInOrder(3));
        EXPECT_EQ(readText(full), "previous picture");
        EXPECT_EQ(directoryEntries(local.path()).size(), 2u) << "a temporary file beside it";
        ASSERT_EQ(closeImage(), 0);
        EXPECT_EQ(readBytes(full), expected);
        EXPECT_EQ(directoryEntries(local.path()),
                  std::vector<std::string>{full.filename().string()});
    }
}

// A run cut short removes its temporary file on the way out and keeps what was there.
TEST_F(ImageTest, DiscardKeepsPreviousPictureAndLeavesNothingBehind) {
    fs::path previous = dir.path() / "kept.bmp";
    writeText(previous, "previous picture");
    std::string kept = (dir.path() / "kept").string();
    std::string fresh = (dir.path() / "fresh").string();
    for (const std::string& name : {kept, fresh}) {
        SCOPED_TRACE(name);
        EXPECT_EXIT(
            {
                iImageType = kBmp;
                if (openQuiet(name, 4, 4) != 0) {
                    std::_Exit(2);
                }
                storeRows(4, {0, 1, 2});
                discardImage();
                std::_Exit(0);
            },
            testing::ExitedWithCode(0), "");
    }
    EXPECT_EQ(readText(previous), "previous picture");
    EXPECT_EQ(directoryEntries(dir.path()), std::vector<std::string>{"kept.bmp"});
}

TEST_F(ImageTest, FailedWriteReportsAndKeepsPreviousPicture) {
    fs::path previous = dir.path() / "scene.ppm";
    writeText(previous, "previous picture");
    std::string base = (dir.path() / "scene").string();
    // The file size limit stands in for a full disk.
    auto closeOnFullDisk = [&base] {
        std::signal(SIGXFSZ, SIG_IGN);
        iImageType = kPpm;
        if (openQuiet(base, 640, 480) != 0) {
            std::_Exit(2);
        }
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = 1000;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::_Exit(closeImage() == -1 ? 0 : 3);
    };
    EXPECT_EXIT(closeOnFullDisk(), testing::ExitedWithCode(0),
                "Output file: " + base + ".ppm could not be written");
    EXPECT_EQ(readText(previous), "previous picture");
    EXPECT_EQ(directoryEntries(dir.path()), std::vector<std::string>{"scene.ppm"});
}

TEST_F(ImageTest, FailedReplaceReportsAndRemovesTemporaryFile) {
    iImageType = kTga;
    std::string base = (dir.path() / "scene").string();
    ASSERT_EQ(openQuiet(base, 2, 2), 0);
    // Something else takes the name while rendering.
    fs::create_directory(base + ".tga");
    fs::create_directory(base + ".tga/inside");
    testing::internal::CaptureStderr();
    EXPECT_EQ(closeImage(), -1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("\n Output file: " + base + ".tga could not be written"), std::string::npos)
        << err;
    EXPECT_EQ(directoryEntries(dir.path()), std::vector<std::string>{"scene.tga"});
}

TEST_F(ImageTest, PermissionsAreThoseOfANewFileOrOfTheReplacedOne) {
    struct UmaskGuard {
        mode_t saved = umask(022);
        ~UmaskGuard() { umask(saved); }
    } guard;
    iImageType = kPpm;
    std::string base = (dir.path() / "new").string();
    ASSERT_EQ(openQuiet(base, 1, 1), 0);
    ASSERT_EQ(closeImage(), 0);
    struct stat info;
    ASSERT_EQ(stat((base + ".ppm").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    std::string old = (dir.path() / "old").string();
    writeText(old + ".ppm", "previous picture");
    ASSERT_EQ(chmod((old + ".ppm").c_str(), 0640), 0);
    ASSERT_EQ(openQuiet(old, 1, 1), 0);
    ASSERT_EQ(closeImage(), 0);
    ASSERT_EQ(stat((old + ".ppm").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ImageTest, SymlinkedOutputReplacesItsTarget) {
    fs::create_directory(dir.path() / "store");
    fs::path target = dir.path() / "store" / "real.ppm";
    writeText(target, "previous picture");
    fs::create_symlink(target, dir.path() / "link.ppm");
    Bytes expected = render(kPpm, "expected", 2, 2, {0, 1});
    render(kPpm, "link", 2, 2, {0, 1});
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ppm"));
    EXPECT_EQ(readBytes(target), expected);
    EXPECT_EQ(directoryEntries(dir.path() / "store"), std::vector<std::string>{"real.ppm"});
}

// An independent decoder reads an odd-sized picture of each format back to the same pixels.
std::string findProgram(const std::string& name) {
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

// The pixels of a binary PPM, after a header of whitespace-separated fields.
bool decodePpm(const std::string& data, int& width, int& height, Bytes& pixels) {
    std::istringstream stream(data);
    std::string magic;
    int maxValue = 0;
    if (!(stream >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255) {
        return false;
    }
    stream.get(); // the single whitespace before the pixels
    std::string rest((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    pixels.assign(rest.begin(), rest.end());
    return true;
}

TEST_F(ImageTest, IndependentDecoderReadsOddSizedPicture) {
    struct Case {
        int type;
        const char* decoder;
    };
    const Case cases[] = {{kTga, "tgatoppm"}, {kBmp, "bmptopnm"}, {kPpm, "pamtopnm"}};
    constexpr int kWidth = 5;
    constexpr int kHeight = 3;
    Bytes expected;
    for (int y = 0; y < kHeight; ++y) {
        Bytes row = patternRow(kWidth, y);
        expected.insert(expected.end(), row.begin(), row.end());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(typeName(c.type));
        std::string decoder = findProgram(c.decoder);
        if (decoder.empty()) {
            GTEST_SKIP() << c.decoder << " not found (install netpbm): decoder check skipped";
        }
        render(c.type, "odd", kWidth, kHeight, {1, 2, 0});
        RunResult run =
            runProgram(decoder, {(dir.path() / (std::string("odd.") + typeName(c.type))).string()},
                       dir.path());
        ASSERT_EQ(run.status, 0) << run.err;
        int width = 0;
        int height = 0;
        Bytes pixels;
        ASSERT_TRUE(decodePpm(run.out, width, height, pixels)) << run.out.substr(0, 20);
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        EXPECT_EQ(pixels, expected);
    }
}

} // namespace
