#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "run_program.h"

extern char** environ;

namespace {

// A render long enough (minutes) that it is surely still running when the signal comes.
const std::string kSlowScene =
    "camera { position <0 -6 2> look_at <0 0 1> }\n"
    "settings { display 2000 2000 output_type \"ppm\" output_name \"pic\" antialiasing "
    "\"adaptive\"\n"
    "  aa_distance 1 jitter \"yes\" }\n"
    "light { position <-3 -5 6> color 1 1 1 shadow_type \"smooth\" radius 2 light_samples 200 }\n"
    "surface { color 0.9 0.2 0.1 ambient 0.2 diffuse 0.7 }\n"
    "sphere { center <0 0 1> radius 1 }\n"
    "plane { normal <0 0 1> distance 0 }\n";

const std::string kPrevious = "the previous picture";

// A program running in the background with its standard output on a pipe.
class Background {
  public:
    Background(const std::string& program, const std::vector<std::string>& args,
               const std::filesystem::path& cwd) {
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (rc != 0) {
            close(out[0]);
            throw std::runtime_error("cannot start " + program);
        }
        fd_ = out[0];
    }
    ~Background() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // Reads standard output until it holds `marker`; false at end of output or after 60 s.
    bool waitFor(const std::string& marker) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (out_.find(marker) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            pollfd fds = {fd_, POLLIN, 0};
            if (poll(&fds, 1, 1000) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            out_.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }

    // Sends `signal` and returns the status as a shell reports it.
    int stop(int signal) {
        kill(pid_, signal);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    const std::string& out() const { return out_; }

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string out_;
};

std::set<std::string> namesIn(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct InterruptCase {
    int signal;
    int status;
    bool threaded;
    bool previousPicture;
    const char* format; // the scene asks for PPM; the option overrides it
};

// Interrupted renders remove their temporary file and never touch the previous picture.
TEST(InterruptTest, LeavesNoTemporaryFileAndThePreviousPicture) {
    // A closed terminal, and a progress bar whose reader went away.
    std::vector<InterruptCase> cases = {
        {SIGINT, 130, false, false, "ppm"}, {SIGTERM, 143, true, false, "ppm"},
        {SIGHUP, 129, false, true, "ppm"},  {SIGHUP, 129, true, true, "bmp"},
        {SIGPIPE, 141, false, true, "tga"}, {SIGPIPE, 141, true, true, "ppm"},
    };
    for (const char* format : {"ppm", "tga", "bmp"}) {
        for (bool threaded : {false, true}) {
            cases.push_back({SIGINT, 130, threaded, true, format});
            cases.push_back({SIGTERM, 143, threaded, true, format});
        }
    }
    for (const InterruptCase& test : cases) {
        SCOPED_TRACE(std::string(strsignal(test.signal)) +
                     (test.threaded ? " (quellix-mt)" : " (quellix)") + ", " + test.format +
                     (test.previousPicture ? ", with a previous picture" : ""));
        TempDir dir;
        dir.write("scene.qlx", kSlowScene);
        const std::string picture = std::string("pic.") + test.format;
        std::set<std::string> before = {"scene.qlx"};
        if (test.previousPicture) {
            dir.write(picture, kPrevious);
            before.insert(picture);
        }
        Background run(test.threaded ? quellixMtPath() : quellixPath(),
                       {"-i", "scene.qlx", std::string("-") + test.format}, dir.path());
        // The scale is printed once the picture is open and rendering starts.
        ASSERT_TRUE(run.waitFor("100%\n ")) << run.out();
        // While rendering, the temporary picture exists beside the scene.
        EXPECT_EQ(namesIn(dir.path()).size(), before.size() + 1);
        EXPECT_EQ(run.stop(test.signal), test.status);
        EXPECT_EQ(namesIn(dir.path()), before);
        if (test.previousPicture) {
            EXPECT_EQ(dir.read(picture), kPrevious);
        }
    }
}

// Nothing can clean up after SIGKILL, but the previous picture is still whole.
TEST(InterruptTest, KillKeepsThePreviousPicture) {
    for (const char* format : {"ppm", "tga", "bmp"}) {
        for (bool threaded : {false, true}) {
            SCOPED_TRACE(std::string(threaded ? "quellix-mt, " : "quellix, ") + format);
            TempDir dir;
            dir.write("scene.qlx", kSlowScene);
            const std::string picture = std::string("pic.") + format;
            dir.write(picture, kPrevious);
            Background run(threaded ? quellixMtPath() : quellixPath(),
                           {"-i", "scene.qlx", std::string("-") + format}, dir.path());
            ASSERT_TRUE(run.waitFor("100%\n ")) << run.out();
            EXPECT_EQ(run.stop(SIGKILL), 128 + SIGKILL);
            EXPECT_EQ(dir.read(picture), kPrevious);
        }
    }
}

} // namespace
