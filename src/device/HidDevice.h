#pragma once

#include "device/HidBackend.h"
#include "device/HidReportData.h"
#include "device/ReportDescriptor.h"
#include "platform/UniqueFd.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quaro {

// What Windows reports in HIDP_CAPS for the opened top-level collection.
struct HidCapabilities {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    std::array<uint16_t, kHidReportTypeCount> buttonCapCount{};
    std::array<uint16_t, kHidReportTypeCount> valueCapCount{};
};

// One HID interface: the enumeration of every present interface path, and one opened
// top-level collection moving reports with a time-out and a cancel signal.
//
// Reports always start with the report id byte (0 for devices without report ids). Reads keep
// only reports of the opened collection. Close() may be called from any thread: it ends a
// waiting transfer at once and closes the node only after that transfer has returned, so a
// reader is never left blocked on a closed descriptor.
class HidDevice {
public:
    // Time-out meaning "wait without limit".
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;
    // Paths of this length or more are refused by Open.
    static constexpr size_t kMaxPathLength = 260;

    explicit HidDevice(std::shared_ptr<HidBackend> backend);
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // --- the path part ---
    // Replaces the path list with every present interface collection; the cursor restarts.
    bool Enumerate();
    // The path at the cursor, advancing it; nothing past the end or without a list.
    std::optional<std::string> NextPath();
    void ClearPaths();
    size_t PathCount() const { return m_paths.size(); }
    // Room of the path list: 8 at first, doubled whenever it fills.
    size_t PathCapacity() const { return m_pathCapacity; }

    // --- the open part ---
    bool Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
              bool exclusive);
    void Close();
    bool IsOpen() const;

    bool ReadReport(std::span<uint8_t> buffer, uint32_t timeoutMs, uint32_t& transferred);
    bool WriteReport(std::span<const uint8_t> report, uint32_t timeoutMs, uint32_t& transferred);
    // Sends an output report and waits for it to be taken (the headset's light reports).
    bool SetOutputReport(std::span<const uint8_t> report);

    // Decodes a received report into this device's data elements of the given type.
    bool UnpackReport(HidReportType type, std::span<const uint8_t> report);

    bool ReadPending() const { return m_readPending.load(); }
    bool WritePending() const { return m_writePending.load(); }

    // errno of the last failed Open (ENOENT, EACCES, EBUSY, ...), for callers that explain it.
    int LastOpenError() const { return m_lastOpenError; }

    const std::string& DevicePath() const { return m_devicePath; }
    // The backend's identity of the node (HidBackend::Identity) the last Open succeeded on.
    const std::string& NodeIdentity() const { return m_nodeIdentity; }
    const HidOpenMode& Mode() const { return m_mode; }
    const HidAttributes& Attributes() const { return m_attributes; }
    const HidCapabilities& Capabilities() const { return m_caps; }
    const HidCollectionInfo& Collection() const { return m_collection; }
    uint32_t InterfaceNumber() const { return m_interfaceNumber; }
    uint32_t CollectionNumber() const { return m_collectionNumber; }
    std::vector<uint8_t>& ReportBuffer(HidReportType type);
    std::vector<HidData>& Data(HidReportType type);

private:
    enum class Direction { kRead, kWrite };

    bool GatherCapabilities(const std::vector<uint8_t>& descriptor);
    void FreeCapabilities();
    // Registers a transfer; -1 when the device is not open.
    int BeginTransfer();
    void EndTransfer();
    // Waits until the node is ready for the direction, the cancel fires or the time-out passes.
    bool WaitReady(int fd, Direction direction, uint32_t timeoutMs);
    // One report into `into`: its length, 0 when none came in time (or none was waiting, with
    // `wait` false), -1 when the node failed, was cancelled or has gone.
    ssize_t Receive(int fd, std::span<uint8_t> into, uint32_t timeoutMs, bool wait);
    // A socket node waits in the receive itself, under the socket's receive time-out: one
    // system call where a poll and a read would take two. Empty when another thread waits that
    // way already; the caller then polls.
    std::optional<ssize_t> ReceiveOnSocket(int fd, std::span<uint8_t> into, uint32_t timeoutMs);

    std::shared_ptr<HidBackend> m_backend;

    std::vector<std::string> m_paths;
    size_t m_pathCapacity = 0;
    size_t m_pathCursor = 0;

    HidOpenMode m_mode;
    std::string m_devicePath;
    std::string m_nodeIdentity;
    int m_lastOpenError = 0;
    HidAttributes m_attributes;
    HidCapabilities m_caps;
    HidCollectionInfo m_collection;
    bool m_numbered = false;
    bool m_readsOmitUnnumberedId = false;
    uint32_t m_interfaceNumber = 0;
    uint32_t m_collectionNumber = 0;
    std::array<std::vector<uint8_t>, kHidReportTypeCount> m_reportBuffers;
    std::array<std::vector<HidData>, kHidReportTypeCount> m_data;

    // The node and the transfers running on it. Close raises the cancel descriptor (and shuts a
    // socket node down, which ends a receive waiting on it), waits for the transfers to leave,
    // then closes the node.
    mutable std::mutex m_stateMutex;
    std::condition_variable m_transfersDone;
    UniqueFd m_fd;
    // The sim backend's sockets: kept blocking so that a read can wait in recv(), every other
    // transfer passes MSG_DONTWAIT; send() with MSG_NOSIGNAL.
    bool m_socketNode = false;
    UniqueFd m_cancelFd;
    int m_activeTransfers = 0;
    std::atomic<bool> m_readPending{false};
    std::atomic<bool> m_writePending{false};

    // The one receive allowed to wait inside recv(), and the receive time-out last set on the
    // socket, in milliseconds (-1: not set since the node was opened).
    std::mutex m_socketWaitMutex;
    int64_t m_socketTimeoutMs = -1;
};

}  // namespace quaro
