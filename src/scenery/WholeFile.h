#pragma once
// Reading a scenery file whole: the BGL files of the scan and magdec.bgl.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::scenery {

// Reads the whole of `file` into `bytes`. False with the reason in `error` ("no such file", "not a
// regular file", or the system's word) when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& file, std::vector<uint8_t>& bytes,
                   std::string& error);

}  // namespace corvane::scenery
