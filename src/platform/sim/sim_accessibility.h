#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/geometry.h"
#include "platform/sim/context.h"
#include "platform/sim/sim_run_loop.h"
#include "platform/value.h"

namespace qm::sim {

// A region of another application's accessibility tree: the element hit
// anywhere inside it, its parent, its parent's parent, and so on.
struct AXRegion {
    platform::Rect bounds;  // Quartz
    // One role per element of the chain, from the hit element up: a string is
    // a role, null a role that cannot be read, anything else a value of another type.
    std::vector<platform::Value> roles;
    // What the last element's parent reads as; null when it has none.
    platform::Value lastParent;
    // The last element's parent is the hit element again, as in a broken tree.
    bool cyclic = false;
};

class SimAccessibility : public platform::Accessibility {
public:
    SimAccessibility(Context& context, const SimRunLoop& clock) : context_(context), clock_(clock) {}

    std::unique_ptr<platform::AXElement> createSystemWide() override;
    bool isProcessTrusted(bool prompt) override;

    // Later regions lie on top of earlier ones.
    void addRegion(AXRegion region) { regions_.push_back(std::make_shared<const AXRegion>(std::move(region))); }
    // Makes every request time out, as an application that does not answer.
    void setUnresponsive(bool unresponsive) { unresponsive_ = unresponsive; }
    // For this long after a change of the permission, the trust check still
    // answers the old value, as the real one can.
    void setTrustLag(Micros lag) { trustLag_ = lag; }
    void trustChanged() { trustChangedAt_ = clock_.now(); }

    std::size_t requests() const { return requests_; }
    std::optional<float> lastMessagingTimeout() const { return lastTimeout_; }

private:
    class SystemWide;
    class Element;
    std::shared_ptr<const AXRegion> regionAt(platform::Point p) const;
    // Counts one request and answers whether it can be served.
    platform::AXError request();

    Context& context_;
    const SimRunLoop& clock_;
    std::vector<std::shared_ptr<const AXRegion>> regions_;
    bool unresponsive_ = false;
    std::size_t requests_ = 0;
    std::optional<float> lastTimeout_;
    Micros trustLag_ = 0;
    std::optional<Micros> trustChangedAt_;
};

}  // namespace qm::sim
