#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qm::platform {

// A loosely typed value, as the system hands out property lists: window-list
// entries and stored user defaults. Readers must expect any type anywhere.
class Value {
public:
    using Array = std::vector<Value>;
    // Keys are unique; order is kept as written.
    using Dictionary = std::vector<std::pair<std::string, Value>>;

    Value() = default;
    Value(bool b) : data_(b) {}
    Value(int i) : data_(int64_t{i}) {}
    Value(int64_t i) : data_(i) {}
    Value(double d) : data_(d) {}
    Value(std::string s) : data_(std::move(s)) {}
    Value(const char* s) : data_(std::string(s)) {}
    Value(Array a) : data_(std::move(a)) {}
    Value(Dictionary d) : data_(std::move(d)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(data_); }
    const bool* asBool() const { return std::get_if<bool>(&data_); }
    const int64_t* asInteger() const { return std::get_if<int64_t>(&data_); }
    const double* asReal() const { return std::get_if<double>(&data_); }
    const std::string* asString() const { return std::get_if<std::string>(&data_); }
    const Array* asArray() const { return std::get_if<Array>(&data_); }
    const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&data_); }

    // A number of either kind, as a float; nothing for other types.
    std::optional<double> number() const;
    // A number that is exactly a whole number (3 and 3.0, not 3.5 or true).
    std::optional<int64_t> exactInteger() const;
    // The entry under key when this is a dictionary holding it.
    const Value* find(std::string_view key) const;

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, bool, int64_t, double, std::string, Array, Dictionary> data_;
};

}  // namespace qm::platform
