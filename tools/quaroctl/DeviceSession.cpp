#include "DeviceSession.h"

#include "DeviceListing.h"
#include "device/CatalogueEntries.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "devices/pad/PadSettingsRecord.h"

#include <mutex>

namespace quaro {
namespace {

// Where the record in force sits and how much of it a page reads, by kind.
struct SettingsLayout {
    std::size_t stride;
    std::size_t length;
};

SettingsLayout SettingsLayoutOf(uint16_t kind) {
    switch (kind) {
        case kKindKeyboard:
            return {kKeyboardSettingsRecordSize, kKeyboardSettingsRecordSize};
        case kKindMouse:
        case kKindMouseSlowLink:
            return {kMouseSettingsRecordStride, kMouseSettingsReadSize};
        default:
            return {kPadSettingsReadStride, kPadSettingsReadSize};
    }
}

}  // namespace

std::string ResultText(int32_t result) {
    switch (result) {
        case kResultFailed:
            return "the device did not answer (result 0)";
        case kResultWriteFailed:
            return "the request could not be sent (result -1)";
        case kResultRejected:
            return "the device rejected the request (status 0xFF, result -102)";
        case kResultSecondError:
            return "the device reported an error (status 0xFE, result -103)";
        default:
            return "result " + std::to_string(result);
    }
}

DeviceSession::DeviceSession(std::shared_ptr<HidBackend> backend) : m_channel(std::move(backend)) {}

DeviceSession::~DeviceSession() {
    if (m_open) {
        m_channel.SetConnected(false);
        std::lock_guard lock(m_channel.TransferLock());
        m_channel.Device().Close();
    }
}

bool DeviceSession::Open(const std::string& path, uint16_t kind, std::string& error) {
    std::lock_guard lock(m_channel.TransferLock());
    if (!m_channel.Device().Open(path, true, true, true, false)) {
        error = OpenErrorText(m_channel.Device().LastOpenError());
        return false;
    }
    m_open = true;
    m_channel.SetSlowLink(kind == kKindMouseSlowLink);
    m_channel.SetConnected(true);
    return true;
}

bool DeviceSession::Check(const char* step, int32_t result) {
    if (result == kResultSuccess) {
        return true;
    }
    if (m_failure.empty()) {
        m_failure = std::string(step) + " failed: " + ResultText(result);
    }
    return false;
}

// A mouse behind a receiver may be switched off; the page asks before every command and so do we.
bool DeviceSession::Reachable() {
    if (!m_channel.IsSlowLink() || m_channel.LinkCheck()) {
        return true;
    }
    if (m_failure.empty()) {
        m_failure = "the mouse behind the receiver does not answer (switched off or out of range)";
    }
    return false;
}

bool DeviceSession::ReadInfoRecord(DeviceInfo& info) {
    DeviceInfoBytes record{};
    if (!Reachable() ||
        !Check("reading the information record (command 0x03)", m_channel.ReadDeviceInfo(record))) {
        return false;
    }
    info = ParseDeviceInfo(record);
    return true;
}

bool DeviceSession::ReadInfo(DeviceInfo& info) {
    m_failure.clear();
    if (!Reachable() || !Check("opening the exchange (command 0x01)", m_channel.Begin())) {
        return false;
    }
    const bool read = ReadInfoRecord(info);
    const bool ended = Reachable() && Check("closing the exchange (command 0x02)", m_channel.End());
    return read && ended;
}

bool DeviceSession::ReadSettingsRecord(uint16_t kind, std::vector<uint8_t>& record) {
    m_failure.clear();
    const SettingsLayout layout = SettingsLayoutOf(kind);
    std::array<uint8_t, 1> number{};
    if (!Reachable() || !Check("reading the number of the record in force (command 0x05)",
                               m_channel.ReadMemory(number, 0))) {
        return false;
    }
    record.assign(layout.length, 0);
    const std::size_t address = number[0] * layout.stride;
    return Reachable() && Check("reading the settings record (command 0x05)",
                                m_channel.ReadMemory(record, static_cast<uint16_t>(address)));
}

bool DeviceSession::ReadKeyTables(bool withLightTable, DeviceInfo& info,
                                  std::vector<uint8_t>& image, std::vector<uint8_t>& lightTable) {
    m_failure.clear();
    if (!Reachable() || !Check("opening the exchange (command 0x01)", m_channel.Begin())) {
        return false;
    }
    bool read = ReadInfoRecord(info);
    if (read && (info.keyCount == 0 || !m_channel.SetImageLength(info.keyCount * 3))) {
        // A count past 170 keys does not fit the channel's 512-byte image; the page stops here too.
        m_failure = "the device reports " + std::to_string(info.keyCount) +
                    " keys; a key image holds at most " +
                    std::to_string(CommandChannel::kMaxImageLength / 3);
        read = false;
    }
    if (read) {
        image.assign(m_channel.ImageLength(), 0);
        read = Reachable() &&
               Check("reading the key image (command 0x07)", m_channel.ReadKeyImage(image));
    }
    if (read && withLightTable) {
        lightTable.assign(m_channel.ImageLength() / 3, 0);
        read = Reachable() && Check("reading the key light index table (command 0x1B)",
                                    m_channel.ReadKeyLightIndexTable(lightTable));
    }
    // The exchange is closed whatever happened inside it, as the page does.
    const bool ended = Reachable() && Check("closing the exchange (command 0x02)", m_channel.End());
    return read && ended;
}

bool DeviceSession::ReadStatusRecord(std::array<uint8_t, kStatusRecordSize>& record) {
    m_failure.clear();
    return Reachable() &&
           Check("reading the status record (command 0x1A)", m_channel.ReadStatus(record, 0));
}

}  // namespace quaro
