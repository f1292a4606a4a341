#include "platform/atspi/atspi_element.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/atspi/atspi_window_under_point.h"

namespace qm::atspi {

namespace ax = platform::ax_error;

namespace {

using Accessible = gtk::GObjectPtr<AtspiAccessible>;

// Deeper than any real tree; it ends a walk through a tree that loops.
constexpr int maxDepth = 64;

struct Point {
    int x;
    int y;
};

Point screenPoint(float x, float y) {
    return {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))};
}

// One of the accessible's interfaces, empty when it has none. Finding out may
// ask the application, so it is a call like any other: false when it could not be asked.
template <class T>
bool interfaceOf(AtspiBudget& budget, T* (*get)(AtspiAccessible*), AtspiAccessible* accessible,
                 gtk::GObjectPtr<T>& found) {
    return budget.call([&](GError**) { found.reset(get(accessible)); });
}

// The children of an accessible, in order; false when they cannot be read.
bool childrenOf(AtspiBudget& budget, AtspiAccessible* parent, std::vector<Accessible>& children) {
    gint count = 0;
    // A count that could not be had may come back as -1 without an error.
    if (!budget.call([&](GError** error) { count = atspi_accessible_get_child_count(parent, error); }) || count < 0)
        return false;
    for (gint i = 0; i < count; ++i) {
        AtspiAccessible* child = nullptr;
        if (!budget.call([&](GError** error) { child = atspi_accessible_get_child_at_index(parent, i, error); }))
            return false;
        if (child) children.emplace_back(child);
    }
    return true;
}

platform::AXError applicationOf(AtspiBudget& budget, int32_t pid, Accessible& application) {
    const Accessible desktop(atspi_get_desktop(0));
    std::vector<Accessible> applications;
    if (!desktop || !childrenOf(budget, desktop.get(), applications)) return ax::cannotComplete;
    for (auto& candidate : applications) {
        guint candidatePid = 0;
        // The bus answers this, not the application, so a hung one costs nothing here.
        if (!budget.call(
                [&](GError** error) { candidatePid = atspi_accessible_get_process_id(candidate.get(), error); }))
            continue;
        if (candidatePid == static_cast<guint>(pid)) {
            application = std::move(candidate);
            return ax::success;
        }
    }
    return ax::noValue;
}

bool isActive(AtspiAccessible* window) {
    const gtk::GObjectPtr<AtspiStateSet> states(atspi_accessible_get_state_set(window));
    return states && atspi_state_set_contains(states.get(), ATSPI_STATE_ACTIVE);
}

// Whether the accessible's extents hold the point; nothing when it did not answer.
std::optional<bool> holds(AtspiBudget& budget, AtspiAccessible* accessible, Point p) {
    gtk::GObjectPtr<AtspiComponent> component;
    if (!interfaceOf(budget, atspi_accessible_get_component_iface, accessible, component)) return std::nullopt;
    if (!component) return false;
    AtspiRect* extents = nullptr;
    if (!budget.call([&](GError** error) {
            extents = atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error);
        }))
        return std::nullopt;
    const bool inside = extents && p.x >= extents->x && p.x < extents->x + extents->width && p.y >= extents->y &&
                        p.y < extents->y + extents->height;
    g_free(extents);
    return inside;
}

// The application's top-level window under the point; an active one before others.
platform::AXError windowAt(AtspiBudget& budget, AtspiAccessible* application, Point p, Accessible& window) {
    std::vector<Accessible> windows;
    if (!childrenOf(budget, application, windows)) return ax::cannotComplete;
    std::vector<Accessible> under;
    bool unanswered = false;
    for (auto& candidate : windows) {
        const auto inside = holds(budget, candidate.get(), p);
        unanswered = unanswered || !inside;
        if (inside.value_or(false)) under.push_back(std::move(candidate));
    }
    if (under.empty()) return unanswered ? ax::cannotComplete : ax::noValue;
    for (auto& candidate : under) {
        bool active = false;
        if (budget.call([&](GError**) { active = isActive(candidate.get()); }) && active) {
            window = std::move(candidate);
            return ax::success;
        }
    }
    window = std::move(under.front());
    return ax::success;
}

// The child of element under the point. Firefox's window answers a hit test
// with nothing until its content has been asked for by other means, so an
// element that names no child is asked for its children's extents instead,
// the last first: of two that overlap, the later one is drawn on top.
bool childAt(AtspiBudget& budget, AtspiComponent* component, AtspiAccessible* element, Point p, Accessible& child) {
    AtspiAccessible* hit = nullptr;
    if (!budget.call([&](GError** error) {
            hit = atspi_component_get_accessible_at_point(component, p.x, p.y, ATSPI_COORD_TYPE_SCREEN, error);
        }))
        return false;
    child.reset(hit);
    if (child) return true;
    std::vector<Accessible> children;
    if (!childrenOf(budget, element, children)) return false;
    bool unanswered = false;
    for (auto candidate = children.rbegin(); candidate != children.rend(); ++candidate) {
        const auto inside = holds(budget, candidate->get(), p);
        unanswered = unanswered || !inside;
        if (inside.value_or(false)) {
            child = std::move(*candidate);
            return true;
        }
    }
    return !unanswered;
}

// The deepest element under the point, from element down.
platform::AXError deepestAt(AtspiBudget& budget, Point p, Accessible& element) {
    for (int depth = 0; depth < maxDepth; ++depth) {
        gtk::GObjectPtr<AtspiComponent> component;
        if (!interfaceOf(budget, atspi_accessible_get_component_iface, element.get(), component))
            return ax::cannotComplete;
        if (!component) break;
        Accessible next;
        if (!childAt(budget, component.get(), element.get(), p, next)) return ax::cannotComplete;
        if (!next || next.get() == element.get()) break;
        element = std::move(next);
    }
    return ax::success;
}

// Whether the character at the offset is text. A child element stands in its
// parent's text as the object replacement character, with a hyperlink of its
// own whatever it is: every section of a web page in a browser's frame, say.
// A point on a child that is a link finds the child itself.
bool isTextCharacterAt(AtspiBudget& budget, AtspiText* text, gint offset) {
    constexpr std::string_view objectReplacement = "\xEF\xBF\xBC";
    gchar* character = nullptr;
    if (!budget.call([&](GError** error) { character = atspi_text_get_text(text, offset, offset + 1, error); }))
        return false;
    const bool isText = character && *character && character != objectReplacement;
    g_free(character);
    return isText;
}

// Whether the character under the point belongs to a link of the element's text.
bool isTextLinkAt(AtspiBudget& budget, AtspiAccessible* element, Point p) {
    gtk::GObjectPtr<AtspiHypertext> hypertext;
    gtk::GObjectPtr<AtspiText> text;
    if (!interfaceOf(budget, atspi_accessible_get_hypertext_iface, element, hypertext) || !hypertext ||
        !interfaceOf(budget, atspi_accessible_get_text_iface, element, text) || !text)
        return false;
    gint offset = -1;
    if (!budget.call([&](GError** error) {
            offset = atspi_text_get_offset_at_point(text.get(), p.x, p.y, ATSPI_COORD_TYPE_SCREEN, error);
        }) ||
        offset < 0 || !isTextCharacterAt(budget, text.get(), offset))
        return false;
    gint link = -1;
    return budget.call([&](GError** error) {
        link = atspi_hypertext_get_link_index(hypertext.get(), offset, error);
    }) && link >= 0;
}

platform::AXError elementAt(const std::shared_ptr<AtspiBudget>& budget, Accessible start, Point p,
                            std::unique_ptr<platform::AXElement>& element) {
    if (const auto error = deepestAt(*budget, p, start); error != ax::success) return error;
    if (isTextLinkAt(*budget, start.get(), p))
        element = std::make_unique<AtspiTextLink>(std::move(start), budget);
    else
        element = std::make_unique<AtspiElement>(std::move(start), budget);
    return ax::success;
}

platform::AXError parentOf(AtspiBudget& budget, AtspiAccessible* accessible, const std::shared_ptr<AtspiBudget>& shared,
                           platform::AXValue& value) {
    AtspiAccessible* parent = nullptr;
    if (!budget.call([&](GError** error) { parent = atspi_accessible_get_parent(accessible, error); }))
        return ax::cannotComplete;
    if (!parent) return ax::noValue;
    value = std::make_unique<AtspiElement>(Accessible(parent), shared);
    return ax::success;
}

}  // namespace

platform::AXError perCallBound(float seconds, std::chrono::milliseconds& bound) {
    if (!(seconds >= 0)) return ax::illegalArgument;
    bound = seconds == 0 ? AtspiBudget::defaultPerCall
                         : std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000.0)));
    return ax::success;
}

namespace {

// An element's messaging timeout bounds each call of the question it belongs to.
platform::AXError boundCalls(AtspiBudget& budget, float seconds) {
    std::chrono::milliseconds bound{};
    const auto error = perCallBound(seconds, bound);
    if (error == ax::success) budget.setPerCall(bound);
    return error;
}

}  // namespace

platform::AXError AtspiElement::setMessagingTimeout(float seconds) {
    return boundCalls(*budget_, seconds);
}

platform::AXError AtspiElement::copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) {
    element.reset();
    return elementAt(budget_, Accessible(ATSPI_ACCESSIBLE(g_object_ref(accessible_.get()))), screenPoint(x, y),
                     element);
}

bool AtspiElement::isLink(AtspiRole role) {
    if (role == ATSPI_ROLE_LINK) return true;
    if (role != ATSPI_ROLE_PUSH_BUTTON) return false;
    gtk::GObjectPtr<AtspiHyperlink> hyperlink;
    return interfaceOf(*budget_, atspi_accessible_get_hyperlink, accessible_.get(), hyperlink) && hyperlink;
}

platform::AXError AtspiElement::copyAttributeValue(std::string_view attribute, platform::AXValue& value) {
    value = std::monostate{};
    if (attribute == "AXParent") return parentOf(*budget_, accessible_.get(), budget_, value);
    if (attribute != "AXRole") return ax::attributeUnsupported;
    AtspiRole role = ATSPI_ROLE_INVALID;
    if (!budget_->call([&](GError** error) { role = atspi_accessible_get_role(accessible_.get(), error); }))
        return ax::cannotComplete;
    value = std::string(isLink(role) ? "AXLink" : "AXUnknown");
    return ax::success;
}

platform::AXError AtspiTextLink::setMessagingTimeout(float seconds) {
    return boundCalls(*budget_, seconds);
}

platform::AXError AtspiTextLink::copyAttributeValue(std::string_view attribute, platform::AXValue& value) {
    value = std::monostate{};
    if (attribute == "AXRole") {
        value = std::string("AXLink");
        return ax::success;
    }
    if (attribute != "AXParent") return ax::attributeUnsupported;
    value = std::make_unique<AtspiElement>(Accessible(ATSPI_ACCESSIBLE(g_object_ref(text_.get()))), budget_);
    return ax::success;
}

platform::AXError AtspiSystemWide::setMessagingTimeout(float seconds) {
    return perCallBound(seconds, perCall_);
}

platform::AXError AtspiSystemWide::copyElementAtPosition(float x, float y,
                                                         std::unique_ptr<platform::AXElement>& element) {
    element.reset();
    const Point p = screenPoint(x, y);
    const auto pid = processOfWindowAt(p.x, p.y);
    if (!pid) return ax::noValue;
    // Each question has a budget of its own, shared by every element it leads to.
    const auto budget = std::make_shared<AtspiBudget>(clock_, perCall_);
    Accessible application;
    Accessible window;
    if (const auto error = applicationOf(*budget, *pid, application); error != ax::success) return error;
    if (const auto error = windowAt(*budget, application.get(), p, window); error != ax::success) return error;
    return elementAt(budget, std::move(window), p, element);
}

}  // namespace qm::atspi
