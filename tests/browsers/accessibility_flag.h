#pragma once

#include <string>

namespace qm::browsertest {

// Switches the desktop's accessibility flag on, on the session bus at this
// address, as Quillmere's first-launch guide does; browsers read it as they
// start and only then put their pages on the accessibility bus. Throws when
// the bus does not take it.
void switchAccessibilityOn(const std::string& busAddress);

}  // namespace qm::browsertest
