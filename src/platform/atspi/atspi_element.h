#pragma once

#include <atspi/atspi.h>

#include <memory>

#include "platform/accessibility.h"
#include "platform/atspi/atspi_budget.h"
#include "platform/gtk/gtk_object.h"

// Accessibility elements of other applications, read through AT-SPI. Every
// element a question finds shares that question's budget. "AXRole" reads as
// "AXLink" for a link (a link, or a push button that is a hyperlink, as GTK's
// link button is) and "AXUnknown" for anything else; "AXParent" is the
// parent element, none above an application. Nothing else is read.
namespace qm::atspi {

class AtspiElement : public platform::AXElement {
public:
    AtspiElement(gtk::GObjectPtr<AtspiAccessible> accessible, std::shared_ptr<AtspiBudget> budget)
        : accessible_(std::move(accessible)), budget_(std::move(budget)) {}

    platform::AXError setMessagingTimeout(float seconds) override;
    // The deepest element under the point, or the link under it inside a text.
    platform::AXError copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) override;
    platform::AXError copyAttributeValue(std::string_view attribute, platform::AXValue& value) override;

private:
    bool isLink(AtspiRole role);

    gtk::GObjectPtr<AtspiAccessible> accessible_;
    std::shared_ptr<AtspiBudget> budget_;
};

// A link inside a text, such as one in a label's markup: the text knows it
// through its Hypertext interface, but it is no element of its own.
class AtspiTextLink : public platform::AXElement {
public:
    AtspiTextLink(gtk::GObjectPtr<AtspiAccessible> text, std::shared_ptr<AtspiBudget> budget)
        : text_(std::move(text)), budget_(std::move(budget)) {}

    platform::AXError setMessagingTimeout(float seconds) override;
    platform::AXError copyElementAtPosition(float, float, std::unique_ptr<platform::AXElement>&) override {
        return platform::ax_error::noValue;
    }
    platform::AXError copyAttributeValue(std::string_view attribute, platform::AXValue& value) override;

private:
    gtk::GObjectPtr<AtspiAccessible> text_;
    std::shared_ptr<AtspiBudget> budget_;
};

// The whole desktop: the element under a point is asked of the application
// whose window the X server has there, so that no other application, however
// slow, is asked anything.
class AtspiSystemWide : public platform::AXElement {
public:
    explicit AtspiSystemWide(AtspiBudget::Clock clock) : clock_(std::move(clock)) {}

    platform::AXError setMessagingTimeout(float seconds) override;
    platform::AXError copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) override;
    platform::AXError copyAttributeValue(std::string_view, platform::AXValue& value) override {
        value = std::monostate{};
        return platform::ax_error::attributeUnsupported;
    }

private:
    AtspiBudget::Clock clock_;
    std::chrono::milliseconds perCall_ = AtspiBudget::defaultPerCall;
};

// A messaging timeout as a per-call bound: zero restores the default, a
// negative one is refused.
platform::AXError perCallBound(float seconds, std::chrono::milliseconds& bound);

}  // namespace qm::atspi
