#include "platform/utf8.h"

#include <cstdint>

namespace qm::platform {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// What a lead byte promises: the sequence's length and the range of its
// second byte, which rules out overlong forms, surrogates and code points
// beyond U+10FFFF. Length 0 for a byte that cannot begin a sequence.
struct Lead {
    int length;
    uint8_t low = 0x80, high = 0xBF;
};

Lead leadOf(uint8_t byte) {
    if (byte < 0x80) return {1};
    if (byte < 0xC2) return {0};
    if (byte < 0xE0) return {2};
    if (byte == 0xE0) return {3, 0xA0};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte < 0xF0) return {3};
    if (byte == 0xF0) return {4, 0x90};
    if (byte < 0xF4) return {4};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0};
}

}  // namespace

std::string repairedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const Lead lead = leadOf(static_cast<uint8_t>(text[i]));
        if (lead.length == 0) {
            out += replacementCharacter;
            ++i;
            continue;
        }
        int valid = 1;
        for (; valid < lead.length && i + valid < text.size(); ++valid) {
            const auto byte = static_cast<uint8_t>(text[i + valid]);
            const bool inRange = valid == 1 ? byte >= lead.low && byte <= lead.high : byte >= 0x80 && byte <= 0xBF;
            if (!inRange) break;
        }
        if (valid == lead.length)
            out += text.substr(i, valid);
        else
            out += replacementCharacter;
        i += valid;
    }
    return out;
}

std::string shortened(std::string_view text, std::size_t longest) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && characters++ == longest) return std::string(text.substr(0, i)) + "…";
    }
    return std::string(text);
}

}  // namespace qm::platform
