#include "device/CommandChannel.h"

#include "platform/Trace.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <string_view>
#include <thread>

namespace quaro {

namespace {

// One line is 32 bytes in lower-case hex: single spaces inside groups of four, three spaces
// between the groups of the first half, two between those of the second.
constexpr size_t kTraceLineBytes = 32;
constexpr size_t kTraceLineLength = kTraceLineBytes * 3 - 1 + 3 * 2 + 4 * 1;

// Formatted by hand: a logged pair traces four such lines, and printf's parsing of a
// 32-conversion format was most of what the logged path cost beyond its system calls.
std::string_view FormatTraceLine(const uint8_t* bytes, std::array<char, kTraceLineLength>& line) {
    constexpr char kDigits[] = "0123456789abcdef";
    size_t at = 0;
    for (size_t i = 0; i < kTraceLineBytes; ++i) {
        line[at++] = kDigits[bytes[i] >> 4];
        line[at++] = kDigits[bytes[i] & 0x0F];
        if (i + 1 == kTraceLineBytes) {
            break;
        }
        const size_t spaces = (i + 1) % 4 != 0 ? 1 : (i + 1 < 16 ? 3 : 2);
        for (size_t s = 0; s < spaces; ++s) {
            line[at++] = ' ';
        }
    }
    return {line.data(), at};
}

constexpr auto kEndPause = std::chrono::milliseconds(10);

Packet NewRequest(uint8_t command) {
    Packet request{};
    request[0] = kPacketReportId;
    request[kPacketCommand] = command;
    return request;
}

int32_t StatusResult(const Packet& reply) {
    switch (reply[kPacketStatus]) {
        case kStatusRejected:
            return kResultRejected;
        case kStatusSecondError:
            return kResultSecondError;
        default:
            return kResultSuccess;
    }
}

}  // namespace

void TracePacket(const char* heading, std::span<const uint8_t, kPacketSize> p) {
    // The heading and its two lines stay together when several channels trace at once.
    static std::mutex traceMutex;
    std::lock_guard lock(traceMutex);
    Trace(heading);
    std::array<char, kTraceLineLength> line{};
    for (size_t half = 0; half < 2; ++half) {
        Trace(FormatTraceLine(p.data() + half * kTraceLineBytes, line));
    }
}

CommandChannel::CommandChannel(std::shared_ptr<HidBackend> backend)
    : m_device(std::move(backend)) {}

CommandChannel::~CommandChannel() {
    std::lock_guard lock(m_transferLock);
    m_device.Close();
}

int32_t CommandChannel::SetImageLength(uint16_t length) {
    if (length > kMaxImageLength) {
        return kResultFailed;
    }
    m_imageLength = length;
    return kResultSuccess;
}

int32_t CommandChannel::Transact(const Packet& request, Packet& reply, uint32_t& transferred) {
    ++m_busy;
    transferred = 0;
    int32_t result = kResultFailed;
    if (IsConnected()) {
        TracePacket("命令", request);
        const uint32_t timeout = TimeoutMs();
        if (!m_router.Send(ReplyRouter::Slot::kCommand, request, timeout, transferred)) {
            result = kResultWriteFailed;
        } else {
            reply.fill(0);
            result = m_router.Await(ReplyRouter::Slot::kCommand, timeout, reply) ? kResultSuccess
                                                                                 : kResultFailed;
            TracePacket("返回", reply);
        }
    }
    --m_busy;
    return result;
}

int32_t CommandChannel::TransactQuiet(const Packet& request, Packet& reply) {
    if (!IsConnected()) {
        return kResultFailed;
    }
    uint32_t transferred = 0;
    if (!m_router.Send(ReplyRouter::Slot::kStream, request, kTimeoutMs, transferred)) {
        return kResultWriteFailed;
    }
    reply.fill(0);
    return m_router.Await(ReplyRouter::Slot::kStream, kTimeoutMs, reply) ? kResultSuccess
                                                                         : kResultFailed;
}

int32_t CommandChannel::SinglePacket(uint8_t command, uint8_t length, uint16_t offset,
                                     Packet& reply) {
    Packet request = NewRequest(command);
    request[kPacketLength] = length;
    SetPacketAddress(request, offset);
    StampChecksum(request);
    if (command == kCmdEnd) {
        std::this_thread::sleep_for(kEndPause);
    }
    uint32_t transferred = 0;
    int32_t result = kResultFailed;
    {
        std::lock_guard lock(m_commandLock);
        result = Transact(request, reply, transferred);
    }
    return result == kResultSuccess ? StatusResult(reply) : result;
}

int32_t CommandChannel::Begin() {
    Packet reply{};
    return SinglePacket(kCmdBegin, 0, 0, reply);
}

int32_t CommandChannel::End() {
    Packet reply{};
    return SinglePacket(kCmdEnd, 0, 0, reply);
}

int32_t CommandChannel::ShutdownNotice() {
    Packet reply{};
    SinglePacket(kCmdShutdownNotice, 0, 0, reply);
    return kResultSuccess;
}

bool CommandChannel::LinkCheck() {
    Packet reply{};
    return SinglePacket(kCmdLinkCheck, 0, 0, reply) == kResultSuccess && reply[kPacketData] == 0xFF;
}

int32_t CommandChannel::ReadStatus(std::span<uint8_t> buffer, uint16_t offset) {
    const auto length = static_cast<uint8_t>(std::min(buffer.size(), kChunkSize));
    Packet reply{};
    const int32_t result = SinglePacket(kCmdReadStatus, length, offset, reply);
    if (result == kResultSuccess) {
        std::copy_n(reply.begin() + kPacketData, length, buffer.begin());
    }
    return result;
}

int32_t CommandChannel::Chunked(uint8_t command, Direction direction,
                                std::span<uint8_t> destination, std::span<const uint8_t> source,
                                size_t total, uint16_t baseAddress) {
    // Cleared once: bytes past a short chunk keep what the previous chunk left there.
    Packet request = NewRequest(command);
    Packet reply{};
    const bool stream = command == kCmdLightFrame;
    for (size_t offset = 0; offset < total; offset += kChunkSize) {
        const size_t n = offset + kChunkSize < total ? kChunkSize : total - offset;
        request[kPacketLength] = static_cast<uint8_t>(n);
        SetPacketAddress(request, static_cast<uint16_t>(baseAddress + offset));
        if (direction == Direction::kWrite) {
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(offset), n,
                        request.begin() + kPacketData);
        }
        StampChecksum(request);
        int32_t result = kResultFailed;
        if (stream) {
            std::lock_guard lock(m_streamLock);
            // Configuration traffic goes first: drop this piece of the frame rather than wait.
            if (IsBusy()) {
                Trace("放弃灯光数据");
                ++m_droppedLight;
                continue;
            }
            if (IsSlowLink()) {
                ++m_droppedLight;
                continue;
            }
            result = TransactQuiet(request, reply);
        } else {
            uint32_t transferred = 0;
            std::lock_guard lock(m_commandLock);
            result = Transact(request, reply, transferred);
        }
        if (result != kResultSuccess) {
            return result;
        }
        const int32_t status = StatusResult(reply);
        if (status != kResultSuccess) {
            return status;
        }
        if (direction == Direction::kRead) {
            std::copy_n(reply.begin() + kPacketData, n,
                        destination.begin() + static_cast<std::ptrdiff_t>(offset));
        }
    }
    return kResultSuccess;
}

int32_t CommandChannel::ReadDeviceInfo(std::span<uint8_t, kDeviceInfoSize> record) {
    return Chunked(kCmdReadDeviceInfo, Direction::kRead, record, {}, kDeviceInfoSize, 0);
}

int32_t CommandChannel::ReadMemory(std::span<uint8_t> buffer, uint16_t address) {
    return Chunked(kCmdReadMemory, Direction::kRead, buffer, {}, buffer.size(), address);
}

int32_t CommandChannel::WriteMemory(std::span<const uint8_t> buffer, uint16_t address) {
    return Chunked(kCmdWriteMemory, Direction::kWrite, {}, buffer, buffer.size(), address);
}

int32_t CommandChannel::ReadKeyImage(std::span<uint8_t> buffer) {
    const size_t total = ImageLength();
    if (buffer.size() < total) {
        return kResultFailed;
    }
    return Chunked(kCmdReadKeyImage, Direction::kRead, buffer, {}, total, 0);
}

int32_t CommandChannel::WriteKeyImage(std::span<const uint8_t> buffer, int imageIndex) {
    if (imageIndex != 0) {
        return kResultBadImageIndex;
    }
    const size_t total = ImageLength();
    if (buffer.size() < total) {
        return kResultFailed;
    }
    return Chunked(kCmdWriteKeyImage, Direction::kWrite, {}, buffer, total, 0);
}

int32_t CommandChannel::ReadKeyLightIndexTable(std::span<uint8_t> buffer) {
    const size_t total = ImageLength() / 3;
    if (buffer.size() < total) {
        return kResultFailed;
    }
    return Chunked(kCmdReadKeyLightIndexTable, Direction::kRead, buffer, {}, total, 0);
}

int32_t CommandChannel::SendLightFrame(std::span<const uint8_t> frame) {
    return Chunked(kCmdLightFrame, Direction::kWrite, {}, frame, frame.size(), 0);
}

int32_t CommandChannel::WriteMacroImage(std::span<const uint8_t> image) {
    return Chunked(kCmdWriteMacroImage, Direction::kWrite, {}, image, image.size(), 0);
}

}  // namespace quaro
