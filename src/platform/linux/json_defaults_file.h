#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/user_defaults.h"
#include "platform/value.h"

namespace qm::desktop {

// The user defaults as one JSON object in a file, with the keys the program
// uses everywhere. The file is read again whenever it changes, so what another
// process writes counts at the next query, and written whole through a
// temporary file, so a reader never sees half of it. A file that does not hold
// one JSON object reads as empty and is kept aside as defaults.json.bad (or
// .bad.1, .bad.2, ...), never overwritten, with a line on the log saying where.
// A write that fails is told on the log and kept in memory for this run.
class JsonDefaultsFile : public platform::UserDefaults {
public:
    using Log = std::function<void(const std::string&)>;

    JsonDefaultsFile(std::filesystem::path file, Log log);

    std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const override;
    bool boolForKey(std::string_view key) const override;
    void setObject(const platform::Value& value, std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    std::optional<platform::Value> objectForKey(std::string_view key) const override;
    void removeObject(std::string_view key) override;
    // The stored value itself, of whatever type, for the settings only this platform has.
    const platform::Value* value(std::string_view key) const { return get(key); }

    // Called after the values change, by a write or by another process's edit
    // noticed at a query.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // $XDG_CONFIG_HOME/quillmere/defaults.json, or under ~/.config without it.
    static std::filesystem::path standardFile();

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        bool operator==(const Stamp& other) const;
    };

    const platform::Value* get(std::string_view key) const;
    void reloadIfChanged() const;
    void load(const Stamp& now) const;
    Stamp stampNow() const;
    void setAside() const;
    void write() const;

    std::filesystem::path file_;
    Log log_;
    std::function<void()> onChange_;
    mutable platform::Value::Dictionary values_;
    mutable Stamp loaded_;
};

}  // namespace qm::desktop
