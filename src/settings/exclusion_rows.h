#pragma once

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "exclusions/exclusion_manager.h"
#include "platform/platform.h"

namespace qm {

// The exclusion list in the order the settings window shows it: the user's
// own entries, then the built-in ones, each by name. It follows what is
// stored by the one entry that came or went, put in or taken out in place,
// and is sorted anew only when more changed: an edit of a list of thousands
// costs about what one row costs.
class ExclusionRows {
public:
    ExclusionRows(const platform::Platform& platform, const ExclusionManager& exclusions)
        : platform_(platform), exclusions_(exclusions) {}

    // Brought in line with what is stored now.
    void update();
    // Identifiers, each once, built-in ones only among the built-in rows.
    const std::vector<std::string>& own() const { return own_; }
    const std::vector<std::string>& builtIn() const { return builtIn_; }

private:
    // A row's place: its application's name in lower case, then its identifier.
    struct Row {
        std::string key;
        std::string id;
        bool operator<(const Row& other) const { return std::tie(key, id) < std::tie(other.key, other.id); }
        bool operator==(const Row&) const = default;
    };

    Row rowOf(const std::string& id) const;
    std::vector<std::string> sorted(std::vector<std::string> ids) const;
    bool followOneChange(const std::vector<std::string>& before, const std::vector<std::string>& after);
    void insert(const std::string& id);

    const platform::Platform& platform_;
    const ExclusionManager& exclusions_;
    // What was stored when the rows were last brought in line.
    std::optional<std::vector<std::string>> seen_;
    std::vector<std::string> own_;
    std::vector<std::string> builtIn_;
};

}  // namespace qm
