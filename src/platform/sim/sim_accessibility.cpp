#include "platform/sim/sim_accessibility.h"

namespace qm::sim {

namespace ax = platform::ax_error;
using platform::AXError;
using platform::AXValue;

class SimAccessibility::Element : public platform::AXElement {
public:
    Element(SimAccessibility& owner, std::shared_ptr<const AXRegion> region, std::size_t depth)
        : owner_(owner),
          counted_(owner.context_.ledger, Ledger::axElement),
          region_(std::move(region)),
          depth_(depth) {}

    AXError setMessagingTimeout(float seconds) override {
        owner_.lastTimeout_ = seconds;
        return ax::success;
    }
    AXError copyElementAtPosition(float, float, std::unique_ptr<platform::AXElement>&) override {
        return ax::illegalArgument;
    }
    AXError copyAttributeValue(std::string_view attribute, AXValue& value) override {
        if (const AXError error = owner_.request(); error != ax::success) return error;
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
};

class SimAccessibility::SystemWide : public platform::AXElement {
public:
    explicit SystemWide(SimAccessibility& owner) : owner_(owner), counted_(owner.context_.ledger, Ledger::axElement) {}

    AXError setMessagingTimeout(float seconds) override {
        owner_.lastTimeout_ = seconds;
        return ax::success;
    }
    AXError copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) override {
        if (const AXError error = owner_.request(); error != ax::success) return error;
        auto region = owner_.regionAt({x, y});
        if (!region || region->roles.empty()) return ax::noValue;
        element = std::make_unique<Element>(owner_, std::move(region), 0);
        return ax::success;
    }
    AXError copyAttributeValue(std::string_view, AXValue&) override { return ax::attributeUnsupported; }

private:
    SimAccessibility& owner_;
    Counted counted_;
};

std::unique_ptr<platform::AXElement> SimAccessibility::createSystemWide() {
    return std::make_unique<SystemWide>(*this);
}

bool SimAccessibility::isProcessTrusted(bool prompt) {
    const bool lagging = trustChangedAt_ && clock_.now() < *trustChangedAt_ + trustLag_;
    const bool trusted = context_.trusted != lagging;
    if (prompt && !trusted) context_.observer->trustPrompted();
    return trusted;
}

AXError SimAccessibility::request() {
    ++requests_;
    if (!context_.trusted) return ax::apiDisabled;
    return unresponsive_ ? ax::cannotComplete : ax::success;
}

std::shared_ptr<const AXRegion> SimAccessibility::regionAt(platform::Point p) const {
    for (auto it = regions_.rbegin(); it != regions_.rend(); ++it)
        if (platform::rectContainsPoint((*it)->bounds, p)) return *it;
    return nullptr;
}

}  // namespace qm::sim
