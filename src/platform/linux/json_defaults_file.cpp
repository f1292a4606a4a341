#include "platform/linux/json_defaults_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/json/json_values.h"
#include "platform/linux/desktop_paths.h"
#include "platform/stored_values.h"

namespace qm::desktop {

namespace fs = std::filesystem;
using platform::Value;

namespace {

// Deeper than any settings file needs, shallow enough to parse without risk.
constexpr int maxNesting = 64;

// Why a file's text is not one JSON object, or nothing when it is.
std::optional<std::string> fault(const std::string& text, json::Json& json) {
    if (json::nestingDepth(text) > maxNesting) return "it nests too deeply";
    json = json::Json::parse(text, nullptr, false);
    if (json.is_discarded()) return "it is not valid JSON";
    if (!json.is_object()) return "it is not a JSON object";
    return std::nullopt;
}

}  // namespace

bool JsonDefaultsFile::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

JsonDefaultsFile::JsonDefaultsFile(fs::path file, Log log) : file_(std::move(file)), log_(std::move(log)) {}

fs::path JsonDefaultsFile::standardFile() {
    return configHome() / "quillmere" / "defaults.json";
}

JsonDefaultsFile::Stamp JsonDefaultsFile::stampNow() const {
    struct stat info {};
    if (stat(file_.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

void JsonDefaultsFile::reloadIfChanged() const {
    const Stamp now = stampNow();
    if (now == loaded_) return;
    load(now);
    if (onChange_) onChange_();
}

void JsonDefaultsFile::load(const Stamp& now) const {
    loaded_ = now;
    values_.clear();
    if (!now.exists) return;

    std::ifstream in(file_, std::ios::binary);
    std::ostringstream text;
    json::Json json;
    std::optional<std::string> problem;
    if (!in || !(text << in.rdbuf()))
        problem = std::string("it cannot be read (") + std::strerror(errno) + ")";
    else
        problem = fault(text.str(), json);
    if (problem) {
        log_("Quillmere: the settings in " + file_.string() + " are read as empty because " + *problem);
        setAside();
        return;
    }
    const Value read = json::toValue(json);
    if (const auto* dict = read.asDictionary()) values_ = *dict;
}

// The file is renamed, never overwritten, so whatever it held can be mended by hand.
void JsonDefaultsFile::setAside() const {
    fs::path aside = file_;
    aside += ".bad";
    for (int n = 1; fs::exists(aside) && n < 1000; ++n) {
        aside = file_;
        aside += ".bad." + std::to_string(n);
    }
    std::error_code error;
    fs::rename(file_, aside, error);
    if (error) {
        log_("Quillmere: cannot keep " + file_.string() + " aside: " + error.message());
        return;
    }
    log_("Quillmere: kept the unreadable settings as " + aside.string());
    loaded_ = {};
}

const Value* JsonDefaultsFile::get(std::string_view key) const {
    reloadIfChanged();
    for (const auto& [k, v] : values_)
        if (k == key) return &v;
    return nullptr;
}

std::optional<std::vector<std::string>> JsonDefaultsFile::stringArrayForKey(std::string_view key) const {
    return platform::stringArrayValue(get(key));
}

bool JsonDefaultsFile::boolForKey(std::string_view key) const {
    return platform::boolValue(get(key));
}

void JsonDefaultsFile::setObject(const Value& value, std::string_view key) {
    reloadIfChanged();
    std::erase_if(values_, [key](const auto& entry) { return entry.first == key; });
    // A null value has nothing to store: the key goes.
    if (!value.isNull()) values_.emplace_back(std::string(key), value);
    write();
    if (onChange_) onChange_();
}

void JsonDefaultsFile::setBool(bool value, std::string_view key) {
    setObject(Value(value), key);
}

std::optional<Value> JsonDefaultsFile::objectForKey(std::string_view key) const {
    if (const Value* value = get(key)) return *value;
    return std::nullopt;
}

void JsonDefaultsFile::removeObject(std::string_view key) {
    setObject(Value(), key);
}

void JsonDefaultsFile::write() const {
    fs::path temporary = file_;
    temporary += ".tmp-" + std::to_string(getpid());
    std::error_code error;
    fs::create_directories(file_.parent_path(), error);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << json::toJson(Value(values_)).dump(2) << '\n';
        out.flush();
        if (!out) error = std::error_code(errno ? errno : EIO, std::generic_category());
    }
    if (!error) fs::rename(temporary, file_, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove(temporary, error);
        log_("Quillmere: cannot save the settings to " + file_.string() + " (" + reason +
             "); they last until Quillmere quits");
        return;
    }
    loaded_ = stampNow();
}

}  // namespace qm::desktop
