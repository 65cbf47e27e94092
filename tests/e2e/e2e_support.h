#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Helpers of the end-to-end picture tests: scene folders, picture files, byte comparisons.

// Where scene files come from.
enum class SceneFolder { Golden, Examples, Shared };

std::filesystem::path folderPath(SceneFolder folder);
// tests/golden/ in the source tree: the committed pictures and their standard output.
std::filesystem::path goldenDir();
// A folder of the build tree where pictures that differ from their golden file are kept.
std::filesystem::path mismatchDir();

// Copies `scene` of `folder` into `dir`. A golden scene brings the whole golden scene folder
// with it, since includes are opened relative to the working directory.
void stageScene(SceneFolder folder, const std::string& scene, const std::filesystem::path& dir);

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

// Standard output with the processor time masked: it is the one part that changes per run.
std::string withoutTime(const std::string& out);

// The picture `stem`.tga, .bmp or .ppm in `dir`, if exactly one of them exists.
std::optional<std::filesystem::path> findPicture(const std::filesystem::path& dir,
                                                 const std::string& stem);

// Width and height from a picture's header (TGA, BMP or binary PPM); nullopt if unreadable.
struct PictureSize {
    int width;
    int height;
};
std::optional<PictureSize> pictureSize(const std::string& bytes, const std::string& extension);

// The size in bytes a picture of this format and size must have.
std::size_t expectedFileSize(const std::string& extension, int width, int height);

// Offset of the first byte where `a` and `b` differ (the shorter size when one is a prefix).
std::size_t firstDifference(const std::string& a, const std::string& b);

// " (row r, column c)" for a byte offset inside the pixels of a picture, "" in its header.
std::string pixelAt(const std::string& bytes, const std::string& extension, std::size_t offset);

// Compares `actual` with `expected`; on a difference fails the test with `what`, the first
// differing offset, and keeps `actual` as `keepAs` in mismatchDir(). On a match removes
// any such file left by an earlier run.
void expectSameBytes(const std::string& what, const std::string& actual,
                     const std::string& expected, const std::string& extension,
                     const std::string& keepAs);

// Full path of a program found on PATH, or "" when there is none.
std::string findOnPath(const std::string& name);
