#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <utility>

namespace qm::macos {

// Owns one reference to a Core Foundation object, the result of a Create or
// Copy call, and releases it exactly once.
template <class T>
class CFRef {
public:
    CFRef() = default;
    // Takes over a reference the caller owns.
    explicit CFRef(T ref) : ref_(ref) {}
    ~CFRef() { reset(); }
    CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
    CFRef& operator=(CFRef&& other) noexcept {
        if (this != &other) {
            reset();
            ref_ = std::exchange(other.ref_, nullptr);
        }
        return *this;
    }
    CFRef(const CFRef&) = delete;
    CFRef& operator=(const CFRef&) = delete;

    // Adds a reference of its own to one the caller does not own (a Get result).
    static CFRef retained(T ref) {
        if (ref) CFRetain(ref);
        return CFRef(ref);
    }

    T get() const { return ref_; }
    explicit operator bool() const { return ref_ != nullptr; }
    void reset(T ref = nullptr) {
        if (ref_) CFRelease(ref_);
        ref_ = ref;
    }

private:
    T ref_ = nullptr;
};

}  // namespace qm::macos
