#include "profiles/JsonFileStore.h"

#include "platform/Trace.h"
#include "profiles/StoreFileNames.h"
#include "profiles/StoredNames.h"

#include <json/reader.h>
#include <json/writer.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace quaro {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Close reports failure: on some file systems a delayed write error surfaces only here.
    bool Close() {
        if (m_fd < 0) {
            return true;
        }
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

// Read rather than set-and-restore: umask() is process-wide and other threads create files too.
mode_t ProcessUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    unsigned int mask = 022;
    if (status != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                break;
            }
        }
        std::fclose(status);
    }
    return static_cast<mode_t>(mask);
}

// A new file takes the mode a plain fopen would give it; a replaced file keeps its own.
mode_t ModeForTarget(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        return info.st_mode & 07777;
    }
    return 0666 & ~ProcessUmask();
}

void SyncFolder(const std::filesystem::path& folder) {
    FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) {
        ::fsync(fd.Get());
    }
}

// Temporary files being written right now, by any thread. A leftover of a crash is one that
// matches the pattern and is not in here; both the set and the folder scans are guarded by one
// lock, so a file another thread has just made is never mistaken for a leftover.
std::mutex& TemporariesLock() {
    static std::mutex lock;
    return lock;
}

std::set<std::string>& TemporariesInFlight() {
    static std::set<std::string> inFlight;
    return inFlight;
}

std::string TemporaryPattern(const std::filesystem::path& target) {
    return (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
}

// "." + a store's file name + "." + six letters or digits: what mkostemp made from the pattern
// above. Only names of the stored kinds qualify, so an export into a user's own folder never
// removes a file of theirs.
bool IsTemporaryName(const std::string& name) {
    constexpr std::size_t kSuffix = 7;  // "." and six characters
    if (name.size() < 1 + kSuffix + 2 || name[0] != '.' || name[name.size() - kSuffix] != '.') {
        return false;
    }
    for (std::size_t i = name.size() - kSuffix + 1; i < name.size(); ++i) {
        if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) {
            return false;
        }
    }
    const std::string_view stored = std::string_view(name).substr(1, name.size() - 1 - kSuffix);
    for (const std::string_view extension :
         {kProfileExtension, kMacroExtension, kLightLibraryExtension, kLightEffectExtension,
          kShootFileExtension, std::string_view(".ini"), std::string_view(".json")}) {
        if (stored.size() > extension.size() && stored.ends_with(extension)) {
            return true;
        }
    }
    return false;
}

// Caller holds TemporariesLock().
void RemoveLeftoverTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder.empty() ? "." : folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::filesystem::path& path = entries->path();
        std::error_code statusError;
        if (!IsTemporaryName(path.filename().string()) ||
            TemporariesInFlight().count(path.string()) != 0 ||
            !std::filesystem::is_regular_file(std::filesystem::symlink_status(path, statusError))) {
            continue;
        }
        if (::unlink(path.c_str()) == 0) {
            TraceFormat("removed temporary file left behind: %s\n", path.c_str());
        }
    }
}

// The file a write replaces: path itself, or the file a chain of symbolic links ends at, so
// that writing through a link keeps the link. Empty for a loop.
std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
    std::filesystem::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
            return current;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            return {};
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return {};
}

// A file the user marked read-only (no write bit at all) is theirs to keep, even for root,
// who may write anything; for everyone else the kernel's own verdict counts.
bool MayReplace(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return true;
    }
    return (info.st_mode & 0222) != 0 && ::access(target.c_str(), W_OK) == 0;
}

// Counts, outside strings and comments, the brackets, braces and separators of a document's
// text: every value but the first starts after one of them, so this bounds the values JsonCpp
// would build. Stops counting past limit.
bool HasAtMostValues(std::string_view text, std::size_t limit) {
    std::size_t values = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\') {
                    ++i;
                }
            }
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            i = std::min(text.find('\n', i), text.size());
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t close = text.find("*/", i + 2);
            i = close == std::string_view::npos ? text.size() : close + 1;
        } else if (c == '[' || c == '{' || c == ',') {
            if (++values > limit) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TextRead JsonFileStore::ReadTextFile(const std::filesystem::path& path) const {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    const int openError = fd.IsOpen() ? 0 : errno;
    TraceFormat("readjsonFile 错误吗：：%d\n", openError);
    if (!fd.IsOpen()) {
        return {openError == ENOENT ? ReadState::Missing : ReadState::Unreadable, {}};
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        TraceFormat("not a regular file: %s\n", path.c_str());
        return {ReadState::Unreadable, {}};
    }
    // Checked before anything is read, so a huge file costs no memory.
    if (static_cast<unsigned long long>(info.st_size) > kMaxFileBytes) {
        TraceFormat("file too large to read (%lld bytes): %s\n",
                    static_cast<long long>(info.st_size), path.c_str());
        return {ReadState::Unreadable, {}};
    }
    const size_t size = static_cast<size_t>(info.st_size);
    std::string text(size, '\0');
    size_t total = 0;
    while (total < size) {
        const ssize_t count = ::read(fd.Get(), text.data() + total, size - total);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        total += static_cast<size_t>(count);
    }
    // A file that shrank under us (or a short read) is not the document we were asked for.
    if (total != size) {
        TraceFormat("reading %s failed after %zu of %zu bytes\n", path.c_str(), total, size);
        return {ReadState::Unreadable, {}};
    }
    return {ReadState::Read, std::move(text)};
}

std::string JsonFileStore::ReadText(const std::filesystem::path& path) const {
    return ReadTextFile(path).text;
}

DocumentRead JsonFileStore::ReadDocument(const std::filesystem::path& path) const {
    TextRead text = ReadTextFile(path);
    if (text.state != ReadState::Read || text.text.empty()) {
        Trace(path.string());
        return {text.state == ReadState::Read ? ReadState::Unparsable : text.state, {}};
    }
    Json::Value value = ParseDocument(text.text);
    if (value.isNull()) {
        // "null" itself is a document, but not one any store writes.
        return {ReadState::Unparsable, {}};
    }
    return {ReadState::Read, std::move(value)};
}

Json::Value JsonFileStore::ReadJson(const std::filesystem::path& path) const {
    return ReadDocument(path).value;
}

Json::Value JsonFileStore::ParseDocument(std::string_view text) {
    if (text.empty()) {
        return Json::Value();
    }
    if (!HasAtMostValues(text, kMaxValues)) {
        TraceFormat("JSON document refused: more than %zu values\n", kMaxValues);
        return Json::Value();
    }
    // Comments are accepted but not kept: the styled writer would copy a kept comment back out
    // verbatim, and a malformed one ("2 /*/") would then make the rewritten file unreadable.
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = kMaxDepth;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            return Json::Value();
        }
    } catch (const std::exception& error) {
        // The reader throws, rather than reporting, when nesting exceeds its stack limit.
        TraceFormat("JSON parse error: %s\n", error.what());
        return Json::Value();
    }
    return root;
}

int JsonFileStore::WriteJson(const std::filesystem::path& path, const Json::Value& value) const {
    return WriteText(path, FormatDocument(value));
}

int JsonFileStore::WriteText(const std::filesystem::path& path, const std::string& text) const {
    const std::filesystem::path target = ResolveLinks(path);
    if (target.empty()) {
        TraceFormat("writing %s failed: too many symbolic links\n", path.c_str());
        return 1;
    }
    if (!MayReplace(target)) {
        TraceFormat("writing %s refused: the file is read-only\n", target.c_str());
        return 1;
    }
    const std::filesystem::path folder = target.parent_path();
    std::string temporary = TemporaryPattern(target);
    int opened = -1;
    int openError = 0;
    {
        const std::lock_guard<std::mutex> lock(TemporariesLock());
        RemoveLeftoverTemporaries(folder);
        opened = ::mkostemp(temporary.data(), O_CLOEXEC);
        openError = opened >= 0 ? 0 : errno;
        if (opened >= 0) {
            TemporariesInFlight().insert(temporary);
        }
    }
    FileDescriptor fd(opened);
    TraceFormat("wirtejsonFile 错误吗：：%d\n", openError);
    if (!fd.IsOpen()) {
        return 1;
    }
    bool written = ::fchmod(fd.Get(), ModeForTarget(target)) == 0 && WriteAll(fd.Get(), text) &&
                   ::fsync(fd.Get()) == 0;
    written = fd.Close() && written;
    const bool renamed = written && ::rename(temporary.c_str(), target.c_str()) == 0;
    const int writeError = errno;
    if (!renamed) {
        ::unlink(temporary.c_str());
    }
    {
        const std::lock_guard<std::mutex> lock(TemporariesLock());
        TemporariesInFlight().erase(temporary);
    }
    if (renamed) {
        SyncFolder(folder);
        return 0;
    }
    TraceFormat("writing %s failed: %d\n", target.c_str(), writeError);
    return 1;
}

std::optional<Json::Value> JsonFileStore::ReadForUpdate(const std::filesystem::path& path,
                                                        bool (*fits)(const Json::Value&)) const {
    DocumentRead read = ReadDocument(path);
    if (read.state == ReadState::Read && fits != nullptr && !fits(read.value)) {
        TraceFormat("not a document of this store: %s\n", path.c_str());
        read.state = ReadState::Unparsable;
    }
    if (read.state == ReadState::Read) {
        return std::move(read.value);
    }
    if (read.Damaged() && !MoveAside(path)) {
        return std::nullopt;
    }
    return Json::Value();
}

bool JsonFileStore::MoveAside(const std::filesystem::path& path) const {
    const std::string base = path.string() + ".damaged-";
    const std::string stamp = MakeFreshIdentifier([&](const std::string& candidate) {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(base + candidate, error));
    });
    const std::string aside = base + stamp;
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        TraceFormat("could not move damaged store %s aside: %d\n", path.c_str(), errno);
        return false;
    }
    SyncFolder(path.parent_path());
    TraceFormat("moved damaged store aside: %s -> %s\n", path.c_str(), aside.c_str());
    return true;
}

std::string JsonFileStore::FormatDocument(const Json::Value& value) {
    // The stored format is defined as this writer's output, so the deprecated class it is.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
    std::string text = writer.write(value);
#pragma GCC diagnostic pop
    text += '\n';
    return text;
}

std::string JsonFileStore::MakeTimeStamp() {
    return MakeTimeStamp(std::chrono::system_clock::now());
}

std::string JsonFileStore::MakeTimeStamp(std::chrono::system_clock::time_point when) {
    const auto sinceEpoch = when.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count();
    const std::time_t time = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return buffer;
}

}  // namespace quaro
