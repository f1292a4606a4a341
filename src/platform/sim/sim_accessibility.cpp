#include "platform/sim/sim_accessibility.h"

namespace qm::sim {

namespace ax = platform::ax_error;
using platform::AXError;
using platform::AXValue;

namespace {

// A timeout set on an element holds for that element only; 0 hands it back to the global one.
AXError timeoutFrom(float seconds, std::optional<float>& timeout) {
    if (!(seconds >= 0)) return ax::illegalArgument;
    timeout = seconds == 0 ? std::nullopt : std::optional(seconds);
    return ax::success;
}

}  // namespace

class SimAccessibility::Element : public platform::AXElement {
public:
    Element(SimAccessibility& owner, std::shared_ptr<const AXRegion> region, std::size_t depth)
        : owner_(owner),
          counted_(owner.context_.ledger, Ledger::axElement),
          region_(std::move(region)),
          depth_(depth) {}

    AXError setMessagingTimeout(float seconds) override { return timeoutFrom(seconds, timeout_); }
    AXError copyElementAtPosition(float, float, std::unique_ptr<platform::AXElement>&) override {
        return ax::illegalArgument;
    }
    AXError copyAttributeValue(std::string_view attribute, AXValue& value) override {
        if (const AXError error = owner_.request(timeout_); error != ax::success) return error;
        if (attribute == "AXRole") return role(value);
        if (attribute == "AXParent") return parent(value);
        return ax::attributeUnsupported;
    }

private:
    AXError role(AXValue& value) const {
        const platform::Value& role = region_->roles[depth_];
        if (role.isNull()) return ax::noValue;
        if (const auto* text = role.asString())
            value = *text;
        else
            value = platform::AXOtherValue{};
        return ax::success;
    }
    AXError parent(AXValue& value) const {
        if (depth_ + 1 < region_->roles.size() || region_->cyclic) {
            value = std::make_unique<Element>(owner_, region_, (depth_ + 1) % region_->roles.size());
            return ax::success;
        }
        if (region_->lastParent.isNull()) return ax::noValue;
        if (const auto* text = region_->lastParent.asString())
            value = *text;
        else
            value = platform::AXOtherValue{};
        return ax::success;
    }

    SimAccessibility& owner_;
    Counted counted_;
    std::shared_ptr<const AXRegion> region_;
    std::size_t depth_;
    std::optional<float> timeout_;
};

// The system-wide element, or one application's: a hit test on the latter
// finds only that application's regions.
class SimAccessibility::Root : public platform::AXElement {
public:
    Root(SimAccessibility& owner, std::optional<int32_t> pid)
        : owner_(owner), counted_(owner.context_.ledger, Ledger::axElement), pid_(pid) {}

    AXError setMessagingTimeout(float seconds) override {
        if (pid_) return timeoutFrom(seconds, timeout_);
        std::optional<float> global;
        const AXError error = timeoutFrom(seconds, global);
        if (error == ax::success) owner_.globalTimeout_ = global.value_or(defaultTimeout);
        return error;
    }
    AXError copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) override {
        if (const AXError error = owner_.request(timeout_); error != ax::success) return error;
        auto region = owner_.regionAt({x, y}, pid_);
        if (!region || region->roles.empty() || (region->manual && !owner_.manual_.contains(*region->pid)))
            return ax::noValue;
        element = std::make_unique<Element>(owner_, std::move(region), 0);
        return ax::success;
    }
    AXError copyAttributeValue(std::string_view, AXValue&) override { return ax::attributeUnsupported; }
    AXError setAttributeValue(std::string_view attribute, bool value) override {
        if (!pid_ || attribute != "AXManualAccessibility") return ax::attributeUnsupported;
        if (const AXError error = owner_.request(timeout_); error != ax::success) return error;
        if (value && owner_.manual_.insert(*pid_).second) owner_.context_.observer->manualAccessibilitySet(*pid_);
        return ax::success;
    }

private:
    SimAccessibility& owner_;
    Counted counted_;
    std::optional<int32_t> pid_;
    std::optional<float> timeout_;
};

std::unique_ptr<platform::AXElement> SimAccessibility::createSystemWide() {
    return std::make_unique<Root>(*this, std::nullopt);
}

std::unique_ptr<platform::AXElement> SimAccessibility::createApplication(int32_t pid) {
    return std::make_unique<Root>(*this, pid);
}

bool SimAccessibility::isProcessTrusted(bool prompt) {
    const bool lagging = trustChangedAt_ && clock_.now() < *trustChangedAt_ + trustLag_;
    const bool trusted = context_.trusted != lagging;
    if (prompt && !trusted) context_.observer->trustPrompted();
    return trusted;
}

AXError SimAccessibility::request(std::optional<float> timeout) {
    ++requests_;
    if (!context_.trusted) return ax::apiDisabled;
    if (unresponsive_) return ax::cannotComplete;
    const Micros limit = toMicros(timeout.value_or(globalTimeout_));
    clock_.wait(std::min(latency_, limit));
    return latency_ > limit ? ax::cannotComplete : ax::success;
}

std::shared_ptr<const AXRegion> SimAccessibility::regionAt(platform::Point p, std::optional<int32_t> pid) const {
    for (auto it = regions_.rbegin(); it != regions_.rend(); ++it) {
        const AXRegion& region = **it;
        if (pid && region.pid && *region.pid != *pid) continue;
        if (platform::rectContainsPoint(region.bounds, p)) return *it;
    }
    return nullptr;
}

}  // namespace qm::sim
