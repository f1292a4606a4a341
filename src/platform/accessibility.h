#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

// Accessibility: elements, their attributes and the process's trust.
namespace qm::platform {

using AXError = int32_t;
namespace ax_error {
inline constexpr AXError success = 0;
inline constexpr AXError failure = -25200;
inline constexpr AXError illegalArgument = -25201;
inline constexpr AXError invalidUIElement = -25202;
inline constexpr AXError cannotComplete = -25204;
inline constexpr AXError attributeUnsupported = -25205;
inline constexpr AXError apiDisabled = -25211;
inline constexpr AXError noValue = -25212;
}  // namespace ax_error

class AXElement;

// A value of a type the program does not read (a number, a list, ...).
struct AXOtherValue {};

// What an attribute holds: nothing, a string, an element, or something else.
using AXValue = std::variant<std::monostate, std::string, std::unique_ptr<AXElement>, AXOtherValue>;

class AXElement {
public:
    virtual ~AXElement() = default;
    virtual AXError setMessagingTimeout(float seconds) = 0;
    virtual AXError copyElementAtPosition(float x, float y, std::unique_ptr<AXElement>& element) = 0;
    virtual AXError copyAttributeValue(std::string_view attribute, AXValue& value) = 0;
    // Writes a boolean attribute; an element that has none such refuses it.
    virtual AXError setAttributeValue(std::string_view /*attribute*/, bool /*value*/) {
        return ax_error::attributeUnsupported;
    }
};

// What lets the program read other applications' elements: a permission the
// user grants the process in the system's settings, or the desktop's own
// accessibility support, which the program may switch on itself.
enum class AccessGate { processPermission, desktopSupport };

class Accessibility {
public:
    virtual ~Accessibility() = default;
    virtual std::unique_ptr<AXElement> createSystemWide() = 0;
    // The element of one application: its hit test looks at that application
    // only. Where the system has no such element, the system-wide one, which
    // asks the application under the point, stands in for it.
    virtual std::unique_ptr<AXElement> createApplication(int32_t /*pid*/) { return createSystemWide(); }
    // Whether this process may use accessibility; with prompt, the system may
    // ask the user to grant it.
    virtual bool isProcessTrusted(bool prompt) = 0;
    virtual AccessGate accessGate() const { return AccessGate::processPermission; }
    // Switches the desktop's accessibility support on, for the applications
    // started from now on; false when it cannot be done here.
    virtual bool enableDesktopSupport() { return false; }
    // Whether this process has switched the desktop's support on.
    virtual bool desktopSupportIsOn() const { return false; }
};

}  // namespace qm::platform
