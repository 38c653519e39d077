#pragma once
// A program started for a test, with pipes on its standard input and output. Every wait is
// bounded; the destructor ends the program if it is still running (end of input first, then a
// kill after a grace period).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace corvane::testing {

class ChildProcess {
  public:
    // `workDir`, when given, is the program's current folder.
    ChildProcess(const std::string& path, const std::vector<std::string>& args,
                 const std::string& workDir = {}) {
        signal(SIGPIPE, SIG_IGN);  // a write to a program that has ended must not end the test
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (!workDir.empty()) {
            posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(path.c_str()));
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~ChildProcess() {
        CloseInput();
        if (pid_ > 0 && !Wait(std::chrono::seconds(3))) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) {
            close(output_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }

    void Write(std::string_view text) {
        if (input_ >= 0) {
            [[maybe_unused]] const ssize_t n = write(input_, text.data(), text.size());
        }
    }
    void CloseInput() {
        if (input_ >= 0) {
            close(input_);
            input_ = -1;
        }
    }
    void Signal(int signal) {
        if (pid_ > 0 && !exitCode_) {
            kill(pid_, signal);
        }
    }

    // The exit status once the program has ended, or nullopt if it is still running after
    // `limit`.
    std::optional<int> Wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!exitCode_ && pid_ > 0) {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return exitCode_;
    }

    // Reads output lines until one contains `text`, and returns it; nullopt after `limit` or at
    // the end of the output. Every line read is kept in Transcript().
    std::optional<std::string> WaitForLine(std::string_view text, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (true) {
            while (scanned_ < lines_.size()) {
                const std::string& line = lines_[scanned_++];
                if (line.find(text) != std::string::npos) {
                    return line;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadMore(static_cast<int>(left.count()))) {
                return std::nullopt;
            }
        }
    }
    const std::vector<std::string>& Transcript() const { return lines_; }

  private:
    bool ReadMore(int timeoutMs) {
        pollfd p{output_, POLLIN, 0};
        if (output_ < 0 || poll(&p, 1, timeoutMs) <= 0) {
            return timeoutMs > 0 && output_ >= 0;  // a timeout: the caller checks its deadline
        }
        char buffer[1024];
        const ssize_t got = read(output_, buffer, sizeof buffer);
        if (got <= 0) {
            close(output_);
            output_ = -1;
            return false;
        }
        partial_.append(buffer, static_cast<size_t>(got));
        size_t newline;
        while ((newline = partial_.find('\n')) != std::string::npos) {
            lines_.push_back(partial_.substr(0, newline));
            partial_.erase(0, newline + 1);
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::optional<int> exitCode_;
    std::string partial_;
    std::vector<std::string> lines_;
    size_t scanned_ = 0;
};

}  // namespace corvane::testing
