// corvane.cfg as anybody might have edited it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/Config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    corvane::Config config;
    corvane::shell::ParseConfiguration(std::string(reinterpret_cast<const char*>(data), size),
                                       config);
    return 0;
}
