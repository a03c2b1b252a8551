#include "profiles/JsonFileStore.h"

#include "platform/Trace.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
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

}  // namespace

std::string JsonFileStore::ReadText(const std::filesystem::path& path) const {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    const int openError = fd.IsOpen() ? 0 : errno;
    TraceFormat("readjsonFile 错误吗：：%d\n", openError);
    if (!fd.IsOpen()) {
        return {};
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    if (static_cast<unsigned long long>(info.st_size) > kMaxFileBytes) {
        TraceFormat("file too large to read (%lld bytes): %s\n",
                    static_cast<long long>(info.st_size), path.c_str());
        return {};
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
        return {};
    }
    return text;
}

Json::Value JsonFileStore::ReadJson(const std::filesystem::path& path) const {
    const std::string text = ReadText(path);
    if (text.empty()) {
        Trace(path.string());
        return Json::Value();
    }
    return ParseDocument(text);
}

Json::Value JsonFileStore::ParseDocument(std::string_view text) {
    if (text.empty()) {
        return Json::Value();
    }
    // Comments are accepted but not kept: the styled writer would copy a kept comment back out
    // verbatim, and a malformed one ("2 /*/") would then make the rewritten file unreadable.
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
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
    const std::filesystem::path folder = path.parent_path();
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();

    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    const int openError = fd.IsOpen() ? 0 : errno;
    TraceFormat("wirtejsonFile 错误吗：：%d\n", openError);
    if (!fd.IsOpen()) {
        return 1;
    }
    bool written = ::fchmod(fd.Get(), ModeForTarget(path)) == 0 && WriteAll(fd.Get(), text) &&
                   ::fsync(fd.Get()) == 0;
    written = fd.Close() && written;
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) {
        SyncFolder(folder);
        return 0;
    }
    TraceFormat("writing %s failed: %d\n", path.c_str(), errno);
    ::unlink(temporary.c_str());
    return 1;
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
