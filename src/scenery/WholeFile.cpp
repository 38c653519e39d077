#include "scenery/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace corvane::scenery {

namespace fs = std::filesystem;

bool ReadWholeFile(const fs::path& file, std::vector<uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) {
        error = "no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "not a regular file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    const auto size = fs::file_size(file, ec);
    if (!in || ec) {
        error = std::strerror(errno);
        return false;
    }
    // In one read of the size the folder gives; a file that shrank meanwhile keeps what it had.
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        error = std::strerror(errno);
        return false;
    }
    bytes.resize(static_cast<size_t>(in.gcount()));
    return true;
}

}  // namespace corvane::scenery
