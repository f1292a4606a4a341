#pragma once

#include <string>
#include <string_view>

#include "platform/services.h"

namespace qm {

// The text for key from the strings table; the key itself when the table lacks it.
std::string localizedText(const platform::Bundle& bundle, std::string_view key);

// The format's one string placeholder (%@ or %1$@) replaced by argument. %%
// stands for %; every other % sequence, and anything in the argument, is kept
// as it is, so a careless translation or an odd application name cannot
// misread the arguments.
std::string formatWithString(std::string_view format, std::string_view argument);

}  // namespace qm
