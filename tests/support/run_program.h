#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs programs end to end and gives each test its own temporary directory.

struct RunResult {
    int status;      // exit status as a shell reports it (128 + signal when killed)
    std::string out; // standard output, byte for byte
    std::string err; // standard error
};

// Runs `program` with `args` in `cwd`, standard input from /dev/null.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& cwd);

// Paths of the two programs under test.
std::string quellixPath();
std::string quellixMtPath();

// A fresh directory under the system temporary directory, removed on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes `text` to `name` inside the directory; returns the full path.
    std::filesystem::path write(const std::string& name, const std::string& text) const;
    // Reads a file inside the directory as bytes.
    std::string read(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// Root of the source tree and of the shared benchmark scenes (../shared beside it).
std::filesystem::path sourceDir();
std::filesystem::path sharedScenesDir();
