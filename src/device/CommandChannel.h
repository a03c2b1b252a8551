#pragma once

#include "device/CommandPacket.h"
#include "device/DeviceInfoRecord.h"
#include "device/HidDevice.h"
#include "device/ReplyRouter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace quaro {

// Result codes of every channel operation.
enum CommandResult : int32_t {
    kResultSuccess = 1,
    kResultFailed = 0,  // not connected (nothing sent), or the reply read failed or timed out
    kResultWriteFailed = -1,
    kResultRejected = -102,     // device status 0xFF
    kResultSecondError = -103,  // device status 0xFE
    kResultBadImageIndex = -201,
};

// The 64-byte request/reply protocol on a device's primary interface. Every request is one
// output report with report id 4 and a checksum; every reply one input report echoing the
// command. Transfers larger than one packet go in chunks of 56 bytes.
//
// Locking: each command packet takes the command lock, each light packet the stream lock, and
// inside either the transfer lock is taken for the write and for each read. The transfer lock is
// released between request and reply, so a light packet may slip in between a command and its
// reply: replies are routed by their echoed command (ReplyRouter), so the light packet's reply
// goes to the stream and the command's to the command, whichever thread happens to read it.
class CommandChannel {
public:
    static constexpr uint16_t kMaxImageLength = 512;
    static constexpr uint32_t kTimeoutMs = 1000;
    static constexpr uint32_t kSlowLinkTimeoutMs = 5000;

    explicit CommandChannel(std::shared_ptr<HidBackend> backend);
    ~CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // --- commands ---
    int32_t Begin();                                                         // 0x01
    int32_t End();                                                           // 0x02, after 10 ms
    int32_t ReadDeviceInfo(std::span<uint8_t, kDeviceInfoSize> record);      // 0x03
    int32_t ReadMemory(std::span<uint8_t> buffer, uint16_t address);         // 0x05
    int32_t WriteMemory(std::span<const uint8_t> buffer, uint16_t address);  // 0x06
    // 0x07 / 0x09 / 0x1B move ImageLength() bytes (a third of it for 0x1B); the buffer must hold
    // that many, else the call fails with 0 and sends nothing.
    int32_t ReadKeyImage(std::span<uint8_t> buffer);
    int32_t WriteKeyImage(std::span<const uint8_t> buffer, int imageIndex);
    int32_t ReadKeyLightIndexTable(std::span<uint8_t> buffer);
    int32_t SendLightFrame(std::span<const uint8_t> frame);   // 0x12, quiet, may drop
    int32_t ShutdownNotice();                                 // 0x13, always 1
    int32_t WriteMacroImage(std::span<const uint8_t> image);  // 0x15
    // 0x1A: one packet; at most 56 bytes are asked for and copied.
    int32_t ReadStatus(std::span<uint8_t> buffer, uint16_t offset);
    bool LinkCheck();  // 0xAA

    // Stores the image length when it is at most 512 (returns 1); otherwise 0, length kept.
    int32_t SetImageLength(uint16_t length);
    uint16_t ImageLength() const { return m_imageLength.load(); }

    bool IsConnected() const { return m_connected.load(); }
    void SetConnected(bool connected) { m_connected = connected; }
    bool IsSlowLink() const { return m_slowLink.load(); }
    void SetSlowLink(bool slowLink) { m_slowLink = slowLink; }
    // Set while any logged transaction runs; the light stream drops packets meanwhile.
    bool IsBusy() const { return m_busy.load() > 0; }
    // Light frame packets dropped so far (busy channel or slow link): a frame sent while this
    // moved did not reach the device whole.
    uint64_t DroppedLightPackets() const { return m_droppedLight.load(); }
    // Not used by the channel: the page's light-synchronisation flag lives here.
    bool LightSync() const { return m_lightSync.load(); }
    void SetLightSync(bool on) { m_lightSync = on; }

    HidDevice& Device() { return m_device; }
    // Held by the page while it opens or closes the device.
    std::mutex& TransferLock() { return m_transferLock; }

private:
    enum class Direction { kRead, kWrite };

    int32_t SinglePacket(uint8_t command, uint8_t length, uint16_t offset, Packet& reply);
    int32_t Chunked(uint8_t command, Direction direction, std::span<uint8_t> destination,
                    std::span<const uint8_t> source, size_t total, uint16_t baseAddress);
    int32_t Transact(const Packet& request, Packet& reply, uint32_t& transferred);
    int32_t TransactQuiet(const Packet& request, Packet& reply);
    uint32_t TimeoutMs() const { return IsSlowLink() ? kSlowLinkTimeoutMs : kTimeoutMs; }

    std::atomic<uint16_t> m_imageLength{kMaxImageLength};
    std::atomic<int> m_busy{0};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_lightSync{false};
    HidDevice m_device;
    std::mutex m_transferLock;
    ReplyRouter m_router{m_device, m_transferLock};
    std::mutex m_commandLock;
    std::mutex m_streamLock;
    std::atomic<bool> m_slowLink{false};
    std::atomic<uint64_t> m_droppedLight{0};
};

// The two 32-byte trace lines of a packet, in the channel's fixed format.
void TracePacket(const char* heading, std::span<const uint8_t, kPacketSize> packet);

}  // namespace quaro
