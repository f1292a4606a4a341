#pragma once

#include <string>
#include <string_view>

namespace qm::platform {

// The text with every ill-formed part replaced by U+FFFD, one for each
// maximal run that could have begun a character, as the system's own lossy
// decoders do. Well-formed text comes back unchanged.
std::string repairedUtf8(std::string_view text);

// The text cut to its first longest characters and an ellipsis when it is
// longer, between characters, never inside one.
std::string shortened(std::string_view text, std::size_t longest);

}  // namespace qm::platform
