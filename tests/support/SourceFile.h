#pragma once
// A file of the source tree (data/ and the like), found through CORVANE_SOURCE_DIR, which CTest
// sets; empty when it cannot be read.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace corvane::testing {

inline std::string SourceFile(const std::string& relative) {
    const char* root = std::getenv("CORVANE_SOURCE_DIR");
    std::ifstream in(std::filesystem::path(root ? root : ".") / relative, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace corvane::testing
