#pragma once

#include <cstdint>
#include <optional>

namespace qm::atspi {

// The process of the application window under (x, y) of the X screen: the
// client window a window manager framed (the one with WM_STATE) or, with no
// manager, the top-level window itself, as its _NET_WM_PID names it. Windows
// that let clicks through, such as the anchor marker, are not under any point.
std::optional<int32_t> processOfWindowAt(int x, int y);

}  // namespace qm::atspi
