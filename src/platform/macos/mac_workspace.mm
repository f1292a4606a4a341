#include "platform/macos/mac_workspace.h"

#import <AppKit/AppKit.h>

#include "platform/macos/cf_values.h"

namespace qm::macos {

namespace {

std::optional<std::string> optionalString(NSString* text) {
    if (!text) return std::nullopt;
    return stringFromCF((__bridge CFStringRef)text);
}

}  // namespace

std::optional<platform::RunningApplication> MacWorkspace::frontmostApplication() const {
    NSRunningApplication* app = NSWorkspace.sharedWorkspace.frontmostApplication;
    if (!app) return std::nullopt;
    return platform::RunningApplication{.bundleIdentifier = optionalString(app.bundleIdentifier),
                                        .localizedName = optionalString(app.localizedName),
                                        .processIdentifier = app.processIdentifier};
}

bool MacWorkspace::openURL(const std::string& url) {
    const auto text = cfString(url);
    NSURL* parsed = text ? [NSURL URLWithString:(__bridge NSString*)text.get()] : nil;
    return parsed && [NSWorkspace.sharedWorkspace openURL:parsed];
}

// The name the Finder shows for the application, without its extension.
std::optional<std::string> MacWorkspace::applicationName(const std::string& bundleIdentifier) const {
    const auto identifier = cfString(bundleIdentifier);
    if (!identifier) return std::nullopt;
    NSURL* url =
        [NSWorkspace.sharedWorkspace URLForApplicationWithBundleIdentifier:(__bridge NSString*)identifier.get()];
    if (!url) return std::nullopt;
    NSString* name = [NSFileManager.defaultManager displayNameAtPath:url.path];
    if ([name.pathExtension isEqualToString:@"app"]) name = name.stringByDeletingPathExtension;
    return name.length ? optionalString(name) : std::nullopt;
}

int32_t MacWorkspace::processIdentifier() const {
    return NSProcessInfo.processInfo.processIdentifier;
}

}  // namespace qm::macos
