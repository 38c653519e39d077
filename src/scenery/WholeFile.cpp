#include "scenery/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane::scenery {

namespace fs = std::filesystem;

namespace {

// Closes the descriptor on every way out.
struct OpenFile {
    int fd;
    ~OpenFile() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace

bool ReadWholeFile(const fs::path& file, std::vector<uint8_t>& bytes, std::string& error) {
    // One open, one look at the size and as few reads as the size allows: the scan reads hundreds
    // of files, and a stream with its buffer and locale for each costs more than the reading.
    // Without blocking, so a named pipe in the folder is refused below instead of waiting for a
    // writer; reads from a regular file are not affected.
    const OpenFile in{::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (in.fd < 0) {
        error = errno == ENOENT ? "no such file" : std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(in.fd, &status) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "not a regular file";
        return false;
    }
    // In reads up to the size the folder gives; a file that shrank meanwhile keeps what it had.
    bytes.resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(in.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::strerror(errno);
            return false;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return true;
}

}  // namespace corvane::scenery
