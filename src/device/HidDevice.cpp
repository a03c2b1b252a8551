#include "device/HidDevice.h"

#include "device/Catalogue.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string_view>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace quaro {

namespace {

constexpr size_t kInitialPathCapacity = 8;

// A time-out as a point in time, so that retries share one budget.
class Deadline {
public:
    explicit Deadline(uint32_t timeoutMs)
        : m_infinite(timeoutMs == HidDevice::kInfinite),
          m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {}

    // Milliseconds left (0 once passed), or kInfinite.
    uint32_t LeftMs() const {
        if (m_infinite) {
            return HidDevice::kInfinite;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_end - std::chrono::steady_clock::now())
                .count();
        return static_cast<uint32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
    }

private:
    bool m_infinite;
    std::chrono::steady_clock::time_point m_end;
};

size_t TypeIndex(HidReportType type) {
    return static_cast<size_t>(type);
}

// After a replug the node of a path can belong to another device (hidraw numbers and simulated
// bus names are handed out again): nothing may be sent to it before vendor, product and
// interface are seen to be the ones the path was listed with. Only the keys after the last '#'
// count, so a folder name cannot pass for them.
bool SameInterfaceAsPath(const HidOpenedInterface& opened, const std::string& path) {
    const size_t hash = path.rfind('#');
    const std::string_view keys =
        hash == std::string::npos ? std::string_view{} : std::string_view(path).substr(hash);
    const uint16_t vendorId = PathVendorId(keys);
    const uint16_t productId = PathProductId(keys);
    const uint16_t interfaceNumber = PathInterface(keys);
    if (opened.attributes.vendorId == vendorId && opened.attributes.productId == productId &&
        opened.interfaceNumber == interfaceNumber) {
        return true;
    }
    TraceFormat(
        "HID node of %s is now %04x:%04x interface %u, not %04x:%04x interface %u: not opened",
        path.c_str(), opened.attributes.vendorId, opened.attributes.productId,
        opened.interfaceNumber, vendorId, productId, interfaceNumber);
    return false;
}

}  // namespace

HidDevice::HidDevice(std::shared_ptr<HidBackend> backend)
    : m_backend(std::move(backend)), m_cancelFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

HidDevice::~HidDevice() {
    Close();
    ClearPaths();
}

bool HidDevice::Enumerate() {
    ClearPaths();
    std::vector<std::string> found;
    if (!m_backend || !m_backend->Enumerate(found)) {
        return false;
    }
    // The list grows by doubling from 8 and keeps the enumeration order.
    m_pathCapacity = kInitialPathCapacity;
    m_paths.reserve(m_pathCapacity);
    for (std::string& path : found) {
        if (m_paths.size() == m_pathCapacity) {
            m_pathCapacity *= 2;
            m_paths.reserve(m_pathCapacity);
        }
        m_paths.push_back(std::move(path));
    }
    return true;
}

std::optional<std::string> HidDevice::NextPath() {
    if (m_pathCursor >= m_paths.size()) {
        return std::nullopt;
    }
    return m_paths[m_pathCursor++];
}

void HidDevice::ClearPaths() {
    m_paths.clear();
    m_paths.shrink_to_fit();
    m_pathCapacity = 0;
    m_pathCursor = 0;
}

bool HidDevice::Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
                     bool exclusive) {
    Close();
    m_mode = HidOpenMode{wantRead, wantWrite, overlapped, exclusive};
    m_devicePath = path;
    m_nodeIdentity.clear();
    m_lastOpenError = 0;
    if (path.size() >= kMaxPathLength) {
        m_lastOpenError = ENAMETOOLONG;
        return false;
    }
    if (!m_backend || !m_cancelFd.Valid()) {
        m_lastOpenError = ENODEV;
        return false;
    }
    std::optional<HidOpenedInterface> opened = m_backend->Open(path, m_mode);
    if (!opened) {
        m_lastOpenError = errno != 0 ? errno : ENODEV;
        return false;
    }
    if (!SameInterfaceAsPath(*opened, path)) {
        m_lastOpenError = ESTALE;
        return false;
    }
    m_attributes = opened->attributes;
    m_nodeIdentity = opened->identity;
    m_readsOmitUnnumberedId = opened->readsOmitUnnumberedId;
    m_interfaceNumber = PathInterface(path);
    m_collectionNumber = PathCollection(path);
    if (!GatherCapabilities(opened->reportDescriptor)) {
        m_lastOpenError = EPROTO;
        FreeCapabilities();
        return false;
    }
    // A hidraw node is made non-blocking: transfers try it before they wait on it. A socket
    // node stays blocking, so that a read can wait inside recv(); its other transfers pass
    // MSG_DONTWAIT instead.
    struct stat node {};
    const bool socketNode = ::fstat(opened->fd.Get(), &node) == 0 && S_ISSOCK(node.st_mode);
    const int flags = ::fcntl(opened->fd.Get(), F_GETFL);
    const int wantedFlags = socketNode ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    if (flags < 0 ||
        (wantedFlags != flags && ::fcntl(opened->fd.Get(), F_SETFL, wantedFlags) != 0)) {
        m_lastOpenError = errno;
        FreeCapabilities();
        return false;
    }
    {
        std::lock_guard wait(m_socketWaitMutex);
        m_socketTimeoutMs = -1;
    }
    std::lock_guard lock(m_stateMutex);
    m_fd = std::move(opened->fd);
    m_socketNode = socketNode;
    return true;
}

bool HidDevice::GatherCapabilities(const std::vector<uint8_t>& descriptor) {
    DescriptorResult parsed = ParseReportDescriptor(descriptor);
    if (!parsed.descriptor) {
        TraceFormat("HID report descriptor refused (%s): %s", parsed.error.c_str(),
                    m_devicePath.c_str());
        return false;
    }
    // Collections are numbered from 1 in the path; a path without "&col" is the only one.
    const size_t index = m_collectionNumber == 0 ? 0 : m_collectionNumber - 1;
    if (index >= parsed.descriptor->collections.size()) {
        TraceFormat("HID collection %u not in the report descriptor: %s", m_collectionNumber,
                    m_devicePath.c_str());
        return false;
    }
    m_numbered = parsed.descriptor->numbered;
    m_collection = std::move(parsed.descriptor->collections[index]);
    m_caps.usage = m_collection.usage;
    m_caps.usagePage = m_collection.usagePage;
    m_caps.inputReportByteLength = m_collection.Length(HidReportType::kInput);
    m_caps.outputReportByteLength = m_collection.Length(HidReportType::kOutput);
    m_caps.featureReportByteLength = m_collection.Length(HidReportType::kFeature);
    for (auto type : {HidReportType::kInput, HidReportType::kOutput, HidReportType::kFeature}) {
        const size_t t = TypeIndex(type);
        m_caps.buttonCapCount[t] = static_cast<uint16_t>(m_collection.buttons[t].size());
        m_caps.valueCapCount[t] = static_cast<uint16_t>(m_collection.values[t].size());
        m_reportBuffers[t].assign(m_collection.reportLength[t], 0);
        m_data[t] = BuildHidData(m_collection, type);
    }
    return true;
}

void HidDevice::FreeCapabilities() {
    m_caps = HidCapabilities{};
    m_collection = HidCollectionInfo{};
    for (size_t t = 0; t < kHidReportTypeCount; ++t) {
        m_reportBuffers[t].clear();
        m_data[t].clear();
    }
}

void HidDevice::Close() {
    std::unique_lock lock(m_stateMutex);
    if (!m_fd.Valid()) {
        return;
    }
    if (m_activeTransfers > 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_cancelFd.Get(), &one, sizeof one);
        if (m_socketNode) {
            // A receive waiting inside recv() sees no cancel descriptor; the shutdown ends it,
            // and any receive starting later returns at once.
            ::shutdown(m_fd.Get(), SHUT_RDWR);
        }
        m_transfersDone.wait(lock, [this] { return m_activeTransfers == 0; });
        uint64_t drained = 0;
        [[maybe_unused]] const ssize_t got = ::read(m_cancelFd.Get(), &drained, sizeof drained);
    }
    m_fd.Reset();
    lock.unlock();
    FreeCapabilities();
}

bool HidDevice::IsOpen() const {
    std::lock_guard lock(m_stateMutex);
    return m_fd.Valid();
}

int HidDevice::BeginTransfer() {
    std::lock_guard lock(m_stateMutex);
    if (!m_fd.Valid()) {
        return -1;
    }
    ++m_activeTransfers;
    return m_fd.Get();
}

void HidDevice::EndTransfer() {
    std::lock_guard lock(m_stateMutex);
    --m_activeTransfers;
    m_transfersDone.notify_all();
}

bool HidDevice::WaitReady(int fd, Direction direction, uint32_t timeoutMs) {
    const Deadline deadline(timeoutMs);
    const short wanted = direction == Direction::kRead ? POLLIN : POLLOUT;
    for (;;) {
        const uint32_t left = deadline.LeftMs();
        const int waitMs = left == kInfinite ? -1 : static_cast<int>(left);
        pollfd fds[2] = {{fd, wanted, 0}, {m_cancelFd.Get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, waitMs);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (ready == 0) {
            return false;  // time-out
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return false;  // cancelled by Close
        }
        // A hung-up or failed node is a device that has gone: fail now rather than spin.
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return false;
        }
        if ((fds[0].revents & wanted) != 0) {
            return true;
        }
    }
}

std::optional<ssize_t> HidDevice::ReceiveOnSocket(int fd, std::span<uint8_t> into,
                                                  uint32_t timeoutMs) {
    std::unique_lock turn(m_socketWaitMutex, std::try_to_lock);
    if (!turn.owns_lock()) {
        return std::nullopt;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        const uint32_t left = deadline.LeftMs();
        if (left == 0) {
            // Out of time: what has arrived meanwhile is still taken, nothing more is waited for.
            const ssize_t got = ::recv(fd, into.data(), into.size(), MSG_DONTWAIT);
            return got > 0 ? got : (got < 0 && errno == EAGAIN ? 0 : -1);
        }
        // The same time-out as last time needs no system call; a reply wait is nearly always
        // the channel's whole second.
        const int64_t wanted = left == kInfinite ? 0 : left;
        if (wanted != m_socketTimeoutMs) {
            timeval limit{};
            limit.tv_sec = static_cast<time_t>(wanted / 1000);
            limit.tv_usec = static_cast<suseconds_t>((wanted % 1000) * 1000);
            if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) {
                return -1;
            }
            m_socketTimeoutMs = wanted;
        }
        const ssize_t got = ::recv(fd, into.data(), into.size(), 0);
        if (got > 0) {
            return got;
        }
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;  // a signal, or the time-out: the deadline decides whether to go on
        }
        return -1;  // end of file (the other end or Close shut it down) or a failed socket
    }
}

ssize_t HidDevice::Receive(int fd, std::span<uint8_t> into, uint32_t timeoutMs, bool wait) {
    if (wait && m_socketNode) {
        if (const std::optional<ssize_t> got = ReceiveOnSocket(fd, into, timeoutMs)) {
            return *got;
        }
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (wait && !WaitReady(fd, Direction::kRead, deadline.LeftMs())) {
            // A time-out, or a cancel by Close, or a node that has gone: the poll cannot tell
            // the first from the others apart cheaply, so all of them end the read.
            return -1;
        }
        const ssize_t got = m_socketNode ? ::recv(fd, into.data(), into.size(), MSG_DONTWAIT)
                                         : ::read(fd, into.data(), into.size());
        if (got > 0) {
            return got;
        }
        if (got < 0 && errno == EAGAIN && !wait) {
            return 0;  // nothing waiting, and no time to wait for it
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        return -1;  // EIO, ENODEV or end of file: the device has gone
    }
}

bool HidDevice::ReadReport(std::span<uint8_t> buffer, uint32_t timeoutMs, uint32_t& transferred) {
    transferred = 0;
    const int fd = BeginTransfer();
    if (fd < 0) {
        return false;
    }
    m_readPending = true;
    const Deadline deadline(timeoutMs);
    bool ok = false;
    // One byte in front, for the report id that hidraw leaves out of unnumbered reports.
    std::array<uint8_t, kMaxReportBytes + 1> raw;
    // A look without waiting (the stale-reply drain) reads at once: a poll first would only
    // double the system calls of a read that returns either way.
    const bool wait = timeoutMs != 0;
    for (;;) {
        const ssize_t got = Receive(fd, std::span(raw).subspan(1), deadline.LeftMs(), wait);
        if (got <= 0) {
            break;
        }
        std::span<const uint8_t> report(raw.data() + 1, static_cast<size_t>(got));
        if (!m_numbered && m_readsOmitUnnumberedId) {
            raw[0] = 0;
            report = std::span<const uint8_t>(raw.data(), static_cast<size_t>(got) + 1);
        }
        // Every open node of an interface sees every report; keep this collection's only.
        if (m_numbered && !m_collection.HasReportId(report[0])) {
            if (wait && deadline.LeftMs() == 0) {
                break;
            }
            continue;
        }
        const size_t count = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), count, buffer.begin());
        transferred = static_cast<uint32_t>(count);
        ok = true;
        break;
    }
    m_readPending = false;
    EndTransfer();
    return ok;
}

bool HidDevice::WriteReport(std::span<const uint8_t> report, uint32_t timeoutMs,
                            uint32_t& transferred) {
    transferred = 0;
    if (report.empty()) {
        return false;
    }
    const int fd = BeginTransfer();
    if (fd < 0) {
        return false;
    }
    m_writePending = true;
    bool ok = false;
    const Deadline deadline(timeoutMs);
    // The node almost always takes a report at once, so the write goes first and only a full
    // queue (EAGAIN) waits for room.
    for (;;) {
        // A socket whose other end has gone fails the send with EPIPE; without MSG_NOSIGNAL it
        // would also end the process with SIGPIPE.
        const ssize_t sent =
            m_socketNode ? ::send(fd, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT)
                         : ::write(fd, report.data(), report.size());
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && errno == EAGAIN) {
            if (!WaitReady(fd, Direction::kWrite, deadline.LeftMs())) {
                break;
            }
            continue;
        }
        if (sent > 0) {
            transferred = static_cast<uint32_t>(sent);
            ok = true;
        }
        break;
    }
    m_writePending = false;
    EndTransfer();
    return ok;
}

bool HidDevice::SetOutputReport(std::span<const uint8_t> report) {
    uint32_t transferred = 0;
    return WriteReport(report, 1000, transferred) && transferred == report.size();
}

bool HidDevice::UnpackReport(HidReportType type, std::span<const uint8_t> report) {
    return quaro::UnpackReport(m_data[TypeIndex(type)], report);
}

std::vector<uint8_t>& HidDevice::ReportBuffer(HidReportType type) {
    return m_reportBuffers[TypeIndex(type)];
}

std::vector<HidData>& HidDevice::Data(HidReportType type) {
    return m_data[TypeIndex(type)];
}

}  // namespace quaro
