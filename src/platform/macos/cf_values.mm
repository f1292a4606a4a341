#include "platform/macos/cf_values.h"

#include <vector>

namespace qm::macos {

using platform::Value;

namespace {

template <class T>
CFRef<CFTypeRef> upcast(const CFRef<T>& object) {
    return CFRef<CFTypeRef>::retained(object.get());
}

Value numberValue(CFNumberRef number) {
    if (CFNumberIsFloatType(number)) {
        double real = 0;
        CFNumberGetValue(number, kCFNumberDoubleType, &real);
        return real;
    }
    int64_t integer = 0;
    CFNumberGetValue(number, kCFNumberSInt64Type, &integer);
    return integer;
}

Value arrayValue(CFArrayRef array) {
    Value::Array values;
    const CFIndex count = CFArrayGetCount(array);
    for (CFIndex i = 0; i < count; ++i) values.push_back(valueFromCF(CFArrayGetValueAtIndex(array, i)));
    return values;
}

Value dictionaryValue(CFDictionaryRef dictionary) {
    const auto count = static_cast<size_t>(CFDictionaryGetCount(dictionary));
    std::vector<const void*> keys(count), values(count);
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    Value::Dictionary entries;
    for (size_t i = 0; i < count; ++i) {
        if (!keys[i] || CFGetTypeID(keys[i]) != CFStringGetTypeID()) continue;
        // Exact conversion keeps distinct keys distinct.
        if (auto key = stringFromCF(static_cast<CFStringRef>(keys[i])))
            entries.emplace_back(std::move(*key), valueFromCF(values[i]));
    }
    return entries;
}

CFRef<CFTypeRef> cfArray(const Value::Array& values) {
    CFRef<CFMutableArrayRef> array(CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks));
    if (!array) return {};
    for (const Value& value : values)
        if (auto element = cfFromValue(value)) CFArrayAppendValue(array.get(), element.get());
    return upcast(array);
}

CFRef<CFTypeRef> cfDictionary(const Value::Dictionary& entries) {
    CFRef<CFMutableDictionaryRef> dictionary(CFDictionaryCreateMutable(
        kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    if (!dictionary) return {};
    for (const auto& [key, value] : entries) {
        auto cfKey = cfString(key);
        auto cfValue = cfFromValue(value);
        if (cfKey && cfValue) CFDictionarySetValue(dictionary.get(), cfKey.get(), cfValue.get());
    }
    return upcast(dictionary);
}

CFRef<CFTypeRef> cfNumber(CFNumberType type, const void* number) {
    return CFRef<CFTypeRef>(CFNumberCreate(kCFAllocatorDefault, type, number));
}

}  // namespace

std::optional<std::string> stringFromCF(CFStringRef string) {
    const CFRange all = CFRangeMake(0, CFStringGetLength(string));
    CFIndex size = 0;
    // A loss byte of 0 makes conversion stop at the first character UTF-8 cannot carry.
    if (CFStringGetBytes(string, all, kCFStringEncodingUTF8, 0, false, nullptr, 0, &size) != all.length)
        return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    CFStringGetBytes(string, all, kCFStringEncodingUTF8, 0, false, reinterpret_cast<UInt8*>(text.data()), size,
                     nullptr);
    return text;
}

CFRef<CFStringRef> cfString(std::string_view text) {
    return CFRef<CFStringRef>(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                                                      static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false));
}

Value valueFromCF(CFTypeRef object) {
    if (!object) return {};
    const CFTypeID type = CFGetTypeID(object);
    if (type == CFStringGetTypeID()) {
        auto text = stringFromCF(static_cast<CFStringRef>(object));
        return text ? Value(std::move(*text)) : Value();
    }
    if (type == CFBooleanGetTypeID()) return static_cast<bool>(CFBooleanGetValue(static_cast<CFBooleanRef>(object)));
    if (type == CFNumberGetTypeID()) return numberValue(static_cast<CFNumberRef>(object));
    if (type == CFArrayGetTypeID()) return arrayValue(static_cast<CFArrayRef>(object));
    if (type == CFDictionaryGetTypeID()) return dictionaryValue(static_cast<CFDictionaryRef>(object));
    return {};
}

CFRef<CFTypeRef> cfFromValue(const Value& value) {
    if (const auto* b = value.asBool()) return CFRef<CFTypeRef>::retained(*b ? kCFBooleanTrue : kCFBooleanFalse);
    if (const auto* i = value.asInteger()) return cfNumber(kCFNumberSInt64Type, i);
    if (const auto* d = value.asReal()) return cfNumber(kCFNumberDoubleType, d);
    if (const auto* s = value.asString()) return upcast(cfString(*s));
    if (const auto* a = value.asArray()) return cfArray(*a);
    if (const auto* d = value.asDictionary()) return cfDictionary(*d);
    return {};
}

}  // namespace qm::macos
