#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
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
    // The process whose tree it is; without one, every application's hit test finds it.
    std::optional<int32_t> pid = std::nullopt;
    // The process builds its tree only once told an assistive program needs it,
    // as Electron applications do: until then a hit test here finds nothing.
    bool manual = false;
};

class SimAccessibility : public platform::Accessibility {
public:
    // What a query may take when nobody set a timeout, as on the real system.
    static constexpr float defaultTimeout = 6.0f;

    SimAccessibility(Context& context, SimRunLoop& clock) : context_(context), clock_(clock) {}

    std::unique_ptr<platform::AXElement> createSystemWide() override;
    std::unique_ptr<platform::AXElement> createApplication(int32_t pid) override;
    bool isProcessTrusted(bool prompt) override;

    // Later regions lie on top of earlier ones.
    void addRegion(AXRegion region) { regions_.push_back(std::make_shared<const AXRegion>(std::move(region))); }
    // Makes every request time out, as an application that does not answer.
    void setUnresponsive(bool unresponsive) { unresponsive_ = unresponsive; }
    // Each query from now on takes this long, or its timeout when that is
    // shorter, and then fails as timed out.
    void setLatency(Micros latency) { latency_ = latency; }
    // For this long after a change of the permission, the trust check still
    // answers the old value, as the real one can.
    void setTrustLag(Micros lag) { trustLag_ = lag; }
    void trustChanged() { trustChangedAt_ = clock_.now(); }

    std::size_t requests() const { return requests_; }

private:
    class Root;
    class Element;
    // The top region at p; with a process, the top one that process's hit test finds.
    std::shared_ptr<const AXRegion> regionAt(platform::Point p, std::optional<int32_t> pid) const;
    // Counts one query and lets it take its time, bounded by timeout (none:
    // the global one); answers whether it can be served.
    platform::AXError request(std::optional<float> timeout);

    Context& context_;
    SimRunLoop& clock_;
    std::vector<std::shared_ptr<const AXRegion>> regions_;
    bool unresponsive_ = false;
    Micros latency_ = 0;
    float globalTimeout_ = defaultTimeout;
    // The processes whose manual-accessibility attribute the program has set.
    std::set<int32_t> manual_;
    std::size_t requests_ = 0;
    Micros trustLag_ = 0;
    std::optional<Micros> trustChangedAt_;
};

}  // namespace qm::sim
