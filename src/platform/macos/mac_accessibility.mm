#include "platform/macos/mac_accessibility.h"

#include "platform/macos/cf_values.h"

namespace qm::macos {

using platform::AXValue;

namespace {

AXValue axValue(const CFRef<CFTypeRef>& object) {
    if (!object) return std::monostate{};
    const CFTypeID type = CFGetTypeID(object.get());
    if (type == CFStringGetTypeID()) {
        auto text = stringFromCF(static_cast<CFStringRef>(object.get()));
        return text ? AXValue(std::move(*text)) : AXValue(platform::AXOtherValue{});
    }
    if (type == AXUIElementGetTypeID())
        return std::make_unique<MacAXElement>(
            CFRef<AXUIElementRef>::retained(static_cast<AXUIElementRef>(object.get())));
    return platform::AXOtherValue{};
}

}  // namespace

platform::AXError MacAXElement::setMessagingTimeout(float seconds) {
    return AXUIElementSetMessagingTimeout(element_.get(), seconds);
}

platform::AXError MacAXElement::copyElementAtPosition(float x, float y, std::unique_ptr<platform::AXElement>& element) {
    AXUIElementRef copied = nullptr;
    const AXError error = AXUIElementCopyElementAtPosition(element_.get(), x, y, &copied);
    CFRef<AXUIElementRef> owned(copied);
    element = owned ? std::make_unique<MacAXElement>(std::move(owned)) : nullptr;
    return error;
}

platform::AXError MacAXElement::copyAttributeValue(std::string_view attribute, AXValue& value) {
    auto name = cfString(attribute);
    if (!name) return kAXErrorIllegalArgument;
    CFTypeRef copied = nullptr;
    const AXError error = AXUIElementCopyAttributeValue(element_.get(), name.get(), &copied);
    value = axValue(CFRef<CFTypeRef>(copied));
    return error;
}

platform::AXError MacAXElement::setAttributeValue(std::string_view attribute, bool value) {
    auto name = cfString(attribute);
    if (!name) return kAXErrorIllegalArgument;
    return AXUIElementSetAttributeValue(element_.get(), name.get(), value ? kCFBooleanTrue : kCFBooleanFalse);
}

std::unique_ptr<platform::AXElement> MacAccessibility::createSystemWide() {
    CFRef<AXUIElementRef> systemWide(AXUIElementCreateSystemWide());
    if (!systemWide) return nullptr;
    return std::make_unique<MacAXElement>(std::move(systemWide));
}

std::unique_ptr<platform::AXElement> MacAccessibility::createApplication(int32_t pid) {
    CFRef<AXUIElementRef> application(AXUIElementCreateApplication(pid));
    if (!application) return nullptr;
    return std::make_unique<MacAXElement>(std::move(application));
}

bool MacAccessibility::isProcessTrusted(bool prompt) {
    const void* keys[] = {kAXTrustedCheckOptionPrompt};
    const void* values[] = {prompt ? kCFBooleanTrue : kCFBooleanFalse};
    CFRef<CFDictionaryRef> options(CFDictionaryCreate(
        kCFAllocatorDefault, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    return AXIsProcessTrustedWithOptions(options.get());
}

}  // namespace qm::macos
