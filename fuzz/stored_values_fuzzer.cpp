#include <cstddef>
#include <cstdint>
#include <string_view>

#include "stored_values_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qm::fuzz::checkStoredValuesInput(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
