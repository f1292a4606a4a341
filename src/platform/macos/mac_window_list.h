#pragma once

#include "platform/window_list.h"

namespace qm::macos {

class MacWindowList : public platform::WindowList {
public:
    std::optional<platform::Value> copyWindowInfo(platform::WindowListOptions options,
                                                  platform::WindowID relativeTo) override;
};

}  // namespace qm::macos
