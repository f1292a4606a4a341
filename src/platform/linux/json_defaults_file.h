#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/linux/file_watch.h"
#include "platform/user_defaults.h"
#include "platform/value.h"

namespace qm::desktop {

// The user defaults as one JSON object in a file, with the keys the program
// uses everywhere. The file is read at the start and again, from GLib's main
// loop, after it changes; a query answers from memory and never waits on the
// file system. Only a regular file of at most 1 MiB is read: anything else
// (a FIFO, a device, a huge file) is told on the log once, and the settings
// read before stay. A file that does not hold one JSON object reads as empty
// and is kept aside as defaults.json.bad (or .bad.1, .bad.2, ...), never
// overwritten, with a line on the log saying what is wrong, where, and where
// the file went. A write replaces the file whole, through a temporary file
// beside it, so a reader never sees half of it; a symbolic link stays, and
// its target is replaced. A write that fails is told once, until one works
// again, and its value kept in memory for this run.
class JsonDefaultsFile : public platform::UserDefaults {
public:
    using Log = std::function<void(const std::string&)>;

    // An empty path stores nothing: every write fails, as without a home folder.
    JsonDefaultsFile(std::filesystem::path file, Log log);
    JsonDefaultsFile(const JsonDefaultsFile&) = delete;
    JsonDefaultsFile& operator=(const JsonDefaultsFile&) = delete;

    std::optional<std::vector<std::string>> stringArrayForKey(std::string_view key) const override;
    bool stringArrayContains(std::string_view key, std::string_view string) const override;
    bool boolForKey(std::string_view key) const override;
    void setObject(const platform::Value& value, std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    std::optional<platform::Value> objectForKey(std::string_view key) const override;
    void removeObject(std::string_view key) override;
    // The stored value itself, of whatever type, for the settings only this platform has.
    const platform::Value* value(std::string_view key) const;

    // Called after the values change, by a write or by another process's edit.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
    // Called, with why, when a write fails after the last one that worked.
    void setOnSaveFailure(std::function<void(const std::string&)> onSaveFailure) {
        onSaveFailure_ = std::move(onSaveFailure);
    }

    // Reads the file again when it is not the one last read or written.
    void reload();

    // $XDG_CONFIG_HOME/quillmere/defaults.json, or under ~/.config without it;
    // empty without a home folder.
    static std::filesystem::path standardFile();

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        mode_t mode = 0;
        off_t size = 0;
        timespec modified{};
        bool operator==(const Stamp& other) const;
    };

    Stamp stampNow() const;
    void load();
    void refuse(const std::string& problem);
    void setAside();
    void write();
    std::optional<std::string> save() const;
    void watchFile();

    std::filesystem::path file_;
    Log log_;
    std::function<void()> onChange_;
    std::function<void(const std::string&)> onSaveFailure_;
    platform::Value::Dictionary values_;
    Stamp loaded_;
    // What was last told about reading and about writing, so that each is told once.
    std::string readProblem_;
    std::string saveProblem_;
    FileWatch watch_;
};

}  // namespace qm::desktop
