#pragma once

#include <ApplicationServices/ApplicationServices.h>

#include "platform/accessibility.h"
#include "platform/macos/cf_ref.h"

namespace qm::macos {

class MacAXElement : public platform::AXElement {
public:
    explicit MacAXElement(CFRef<AXUIElementRef> element) : element_(std::move(element)) {}

    platform::AXError setMessagingTimeout(float seconds) override;
    platform::AXError copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) override;
    platform::AXError copyAttributeValue(std::string_view attribute, platform::AXValue& value) override;
    platform::AXError setAttributeValue(std::string_view attribute, bool value) override;

private:
    CFRef<AXUIElementRef> element_;
};

class MacAccessibility : public platform::Accessibility {
public:
    std::unique_ptr<platform::AXElement> createSystemWide() override;
    std::unique_ptr<platform::AXElement> createApplication(int32_t pid) override;
    bool isProcessTrusted(bool prompt) override;
};

}  // namespace qm::macos
