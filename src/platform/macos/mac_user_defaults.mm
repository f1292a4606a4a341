#include "platform/macos/mac_user_defaults.h"

#import <Foundation/Foundation.h>

#include "platform/macos/cf_values.h"

namespace qm::macos {

namespace {

NSUserDefaults* defaults() {
    return NSUserDefaults.standardUserDefaults;
}

// Nil when the key is not UTF-8; the defaults then are left alone.
NSString* keyString(std::string_view key) {
    const auto name = cfString(key);
    // ARC retains the result before the local reference goes.
    return (__bridge NSString*)name.get();
}

}  // namespace

std::optional<std::vector<std::string>> MacUserDefaults::stringArrayForKey(std::string_view key) const {
    NSString* name = keyString(key);
    NSArray<NSString*>* stored = name ? [defaults() stringArrayForKey:name] : nil;
    if (!stored) return std::nullopt;
    std::vector<std::string> strings;
    for (NSString* text in stored) {
        auto converted = stringFromCF((__bridge CFStringRef)text);
        if (!converted) return std::nullopt;
        strings.push_back(std::move(*converted));
    }
    return strings;
}

bool MacUserDefaults::boolForKey(std::string_view key) const {
    NSString* name = keyString(key);
    return name && [defaults() boolForKey:name];
}

void MacUserDefaults::setObject(const platform::Value& value, std::string_view key) {
    NSString* name = keyString(key);
    if (!name) return;
    const auto object = cfFromValue(value);
    // A null value, having no property-list form, removes the key.
    [defaults() setObject:(__bridge id)object.get() forKey:name];
}

void MacUserDefaults::setBool(bool value, std::string_view key) {
    if (NSString* name = keyString(key)) [defaults() setBool:value forKey:name];
}

std::optional<platform::Value> MacUserDefaults::objectForKey(std::string_view key) const {
    NSString* name = keyString(key);
    id stored = name ? [defaults() objectForKey:name] : nil;
    if (!stored) return std::nullopt;
    return valueFromCF((__bridge CFTypeRef)stored);
}

void MacUserDefaults::removeObject(std::string_view key) {
    if (NSString* name = keyString(key)) [defaults() removeObjectForKey:name];
}

}  // namespace qm::macos
