#pragma once

#include "platform/windows.h"

namespace qm {

// The marker's picture: a light disc with a dark ring, four arrow heads and a
// centre dot, every length scaled with the view's width.
class MarkerView : public platform::View {
public:
    using View::View;
    bool isFlipped() const override { return false; }
    void draw(platform::Graphics& graphics, const platform::Rect& dirty) override;
};

}  // namespace qm
