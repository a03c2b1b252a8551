#pragma once

#include "device/CommandChannel.h"
#include "device/DeviceInfoRecord.h"
#include "devices/StatusRecord.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quaro {

// One device's command interface opened for reading, and the read sequences the application's
// pages run, nothing more: every command it sends leaves the device's memory and state as they
// were (begin and end of an exchange, the information record, memory, key image, key light
// index table, status and link reads).
class DeviceSession {
public:
    explicit DeviceSession(std::shared_ptr<HidBackend> backend);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // kind decides the time-outs: a mouse behind a slow link waits longer and is asked whether
    // it is reachable before every command. On failure error says why.
    bool Open(const std::string& path, uint16_t kind, std::string& error);

    // Commands 1, 3, 2.
    bool ReadInfo(DeviceInfo& info);
    // The record in force: one byte at 0 naming it, then the record at its slot. The slot size
    // and the record length are the kind's.
    bool ReadSettingsRecord(uint16_t kind, std::vector<uint8_t>& record);
    // Commands 1, 3, 7, then 0x1B when lightTable is asked for, and 2, as a page does on arrival.
    bool ReadKeyTables(bool withLightTable, DeviceInfo& info, std::vector<uint8_t>& image,
                       std::vector<uint8_t>& lightTable);
    // Command 0x1A at offset 0.
    bool ReadStatusRecord(std::array<uint8_t, kStatusRecordSize>& record);

    bool SlowLink() const { return m_channel.IsSlowLink(); }
    // Why the last read failed, one line.
    const std::string& Failure() const { return m_failure; }

private:
    // Records the first failure of a sequence; true when result is success.
    bool Check(const char* step, int32_t result);
    bool Reachable();
    bool ReadInfoRecord(DeviceInfo& info);

    CommandChannel m_channel;
    bool m_open = false;
    std::string m_failure;
};

// What a command result means, for messages.
std::string ResultText(int32_t result);

}  // namespace quaro
