#include "platform/linux/json_defaults_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <variant>

#include "platform/json/json_values.h"
#include "platform/linux/desktop_paths.h"
#include "platform/stored_values.h"

namespace qm::desktop {

namespace fs = std::filesystem;
using platform::Value;

namespace {

// Far more than any settings file needs, little enough to read at once.
constexpr off_t largestFile = 1 << 20;
// Deeper than any settings file needs, shallow enough to parse without risk.
constexpr int maxNesting = 64;
// As many links as the system itself follows.
constexpr int maxLinks = 40;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, for the error that only closing reports; whether it closed cleanly.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

std::string errorText(int error) {
    return std::strerror(error);
}

// The file a path names, through any symbolic links; the path itself when it is none.
fs::path linkTarget(fs::path path) {
    for (int n = 0; n < maxLinks && fs::is_symlink(path); ++n) {
        std::error_code error;
        const fs::path next = fs::read_symlink(path, error);
        if (error) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// What reading the file found: its text, no file at all, or why it was not read.
struct Contents {
    enum class Kind { text, absent, refused } kind;
    std::string text;
};

// The whole text of a regular file, read without waiting: a FIFO, a device
// or a file that grows without end is never opened for reading or read on.
Contents readContents(const fs::path& file) {
    using Kind = Contents::Kind;
    struct stat info {};
    if (file.empty() || stat(file.c_str(), &info) != 0) {
        if (file.empty() || errno == ENOENT || errno == ENOTDIR) return {Kind::absent, {}};
        return {Kind::refused, "it cannot be read (" + errorText(errno) + ")"};
    }
    if (!S_ISREG(info.st_mode)) return {Kind::refused, "it is not a regular file"};
    if (info.st_size > largestFile) return {Kind::refused, "it is larger than 1 MiB"};
    FileDescriptor in(open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    // The path may have come to name something else since.
    if (in.get() < 0 || fstat(in.get(), &info) != 0)
        return {Kind::refused, "it cannot be read (" + errorText(errno) + ")"};
    if (!S_ISREG(info.st_mode)) return {Kind::refused, "it is not a regular file"};
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {Kind::refused, "it cannot be read (" + errorText(errno) + ")"};
        if (n == 0) return {Kind::text, std::move(text)};
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > static_cast<std::size_t>(largestFile)) return {Kind::refused, "it is larger than 1 MiB"};
    }
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The settings as one JSON object, or what is wrong with the text and where.
std::variant<Value::Dictionary, std::string> parsed(const std::string& text) {
    if (json::nestingDepth(text) > maxNesting) return std::string("it nests too deeply");
    try {
        const Value read = json::toValue(json::parseJson(text));
        if (const auto* dict = read.asDictionary()) return *dict;
        return std::string("it is not a JSON object");
    } catch (const json::JsonFault& fault) {
        if (!fault.byte) return fault.reason;
        const auto at = json::positionOf(text, fault.byte);
        return "line " + std::to_string(at.line) + ", column " + std::to_string(at.column) + ": " + fault.reason;
    }
}

}  // namespace

bool JsonDefaultsFile::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && mode == other.mode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

JsonDefaultsFile::JsonDefaultsFile(fs::path file, Log log)
    : file_(std::move(file)), log_(std::move(log)), watch_([this] { reload(); }) {
    load();
}

fs::path JsonDefaultsFile::standardFile() {
    const fs::path config = configHome();
    return config.empty() ? fs::path() : config / "quillmere" / "defaults.json";
}

JsonDefaultsFile::Stamp JsonDefaultsFile::stampNow() const {
    struct stat info {};
    if (file_.empty() || stat(file_.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_mode, info.st_size, info.st_mtim};
}

void JsonDefaultsFile::reload() {
    if (stampNow() == loaded_) return;
    load();
    if (onChange_) onChange_();
}

// The link may point elsewhere now: its target is watched as well as the link.
void JsonDefaultsFile::watchFile() {
    if (file_.empty()) return;
    const fs::path target = linkTarget(file_);
    watch_.watch(target == file_ ? std::vector{file_} : std::vector{file_, target});
}

void JsonDefaultsFile::load() {
    loaded_ = stampNow();
    watchFile();
    Contents contents = readContents(file_);
    if (contents.kind == Contents::Kind::refused) return refuse(contents.text);
    readProblem_.clear();
    std::variant<Value::Dictionary, std::string> read;
    if (contents.kind == Contents::Kind::text) read = parsed(contents.text);
    if (auto* problem = std::get_if<std::string>(&read)) {
        log_("Quillmere: the settings in " + file_.string() + " are read as empty (" + *problem + ")");
        values_.clear();
        setAside();
        return;
    }
    values_ = std::move(std::get<Value::Dictionary>(read));
}

void JsonDefaultsFile::refuse(const std::string& problem) {
    if (problem == readProblem_) return;
    readProblem_ = problem;
    log_("Quillmere: the settings in " + file_.string() + " are not read because " + problem +
         "; the settings read before stay");
}

// The file is renamed, never overwritten, so whatever it held can be mended
// by hand; a link's target is, so that the link stays for the next write.
void JsonDefaultsFile::setAside() {
    const fs::path target = linkTarget(file_);
    fs::path aside = target;
    aside += ".bad";
    for (int n = 1; fs::exists(aside) && n < 1000; ++n) {
        aside = target;
        aside += ".bad." + std::to_string(n);
    }
    std::error_code error;
    fs::rename(target, aside, error);
    if (error) {
        log_("Quillmere: cannot keep " + target.string() + " aside: " + error.message());
        return;
    }
    log_("Quillmere: kept the unreadable settings as " + aside.string());
    loaded_ = {};
}

const Value* JsonDefaultsFile::value(std::string_view key) const {
    for (const auto& [k, v] : values_)
        if (k == key) return &v;
    return nullptr;
}

std::optional<std::vector<std::string>> JsonDefaultsFile::stringArrayForKey(std::string_view key) const {
    return platform::stringArrayValue(value(key));
}

bool JsonDefaultsFile::stringArrayContains(std::string_view key, std::string_view string) const {
    return platform::stringArrayContains(value(key), string);
}

bool JsonDefaultsFile::boolForKey(std::string_view key) const {
    return platform::boolValue(value(key));
}

void JsonDefaultsFile::setObject(const Value& value, std::string_view key) {
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
    if (const Value* found = value(key)) return *found;
    return std::nullopt;
}

void JsonDefaultsFile::removeObject(std::string_view key) {
    setObject(Value(), key);
}

void JsonDefaultsFile::write() {
    const auto problem = save();
    if (!problem) {
        saveProblem_.clear();
        loaded_ = stampNow();
        return;
    }
    if (*problem == saveProblem_) return;
    saveProblem_ = *problem;
    log_("Quillmere: cannot save the settings to " + file_.string() + " (" + *problem +
         "); they last until Quillmere quits");
    if (onSaveFailure_) onSaveFailure_(*problem);
}

// Why the values could not be written, or nothing when they were.
std::optional<std::string> JsonDefaultsFile::save() const {
    if (file_.empty()) return "there is no home folder to keep them in";
    const fs::path target = linkTarget(file_);
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    if (error) return "cannot make the folder " + target.parent_path().string() + ": " + error.message();
    fs::path temporary = target;
    temporary += ".tmp-" + std::to_string(getpid());
    const std::string text = json::toJson(Value(values_)).dump(2) + '\n';
    FileDescriptor out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (out.get() < 0) return errorText(errno);
    // The settings keep the permissions the user gave them.
    struct stat before {};
    if (stat(target.c_str(), &before) == 0) fchmod(out.get(), before.st_mode & 07777);
    if (!writeAll(out.get(), text) || !out.close() || rename(temporary.c_str(), target.c_str()) != 0) {
        const int failure = errno;
        unlink(temporary.c_str());
        return errorText(failure);
    }
    return std::nullopt;
}

}  // namespace qm::desktop
