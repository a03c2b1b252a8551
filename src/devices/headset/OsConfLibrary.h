#pragma once

#include "devices/headset/OsConfAbi.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quaro {

// Fields 0, 4 and 6 of a device's "GetSupportFeature" answer.
struct OsConfSupport {
    std::int64_t first = 0;
    std::int64_t fifth = 0;
    std::int64_t seventh = 0;
};

// The text of a get reply. The buffer is read no further than its size, whatever the library put
// in it: UTF-16 units up to the first zero unit (anything outside ASCII becomes '?'); a reply
// whose first two bytes are both printable is taken as 8-bit text instead.
std::string OsConfReplyText(std::span<const std::uint8_t> buffer);

// Comma-separated fields; nullopt with fewer than seven. A field that is no number reads as 0;
// "0x" marks hexadecimal.
std::optional<OsConfSupport> ParseOsConfSupport(std::string_view text);

// The headset's audio library, loaded from "SDK/libosConfLib.so" under the application folder.
// Once Open has found the library, its five entry points, a successful initialisation and the
// capture device (device B), properties can be read and written; in any other case not a single
// further call reaches the library. Not thread-safe: one thread (the page's audio worker) owns it.
class OsConfLibrary {
public:
    enum class State { kClosed, kMissing, kInitFailed, kNoPlayback, kNoCapture, kReady };
    // Device A answers the equaliser and room properties, device B the microphone ones.
    enum class Device { kA, kB };

    static constexpr const char* kRelativePath = "SDK/libosConfLib.so";

    OsConfLibrary() = default;
    OsConfLibrary(const OsConfLibrary&) = delete;
    OsConfLibrary& operator=(const OsConfLibrary&) = delete;
    ~OsConfLibrary();

    // Loads, initialises and chooses the devices; once per object.
    State Open(const std::filesystem::path& applicationFolder);
    State GetState() const { return m_state; }
    bool IsReady() const { return m_state == State::kReady; }
    bool HasDevice(Device device) const;
    const OsConfSupport& Support(Device device) const;

    // Each is false when the library is not ready, the device was not found or the call failed.
    bool GetInt(Device device, std::string_view name, std::int32_t& value,
                std::span<std::int32_t> second = {});
    bool SetInt(Device device, std::string_view name, std::int32_t value,
                std::span<std::int32_t> second = {});
    bool SetFloat(Device device, std::string_view name, float value,
                  std::span<std::int32_t> second = {});
    bool GetText(Device device, std::string_view name, std::string& text,
                 std::span<std::int32_t> second = {});
    // A text reply read as a decimal number.
    bool GetNumber(Device device, std::string_view name, double& value,
                   std::span<std::int32_t> second = {});

private:
    struct Entry {
        OsConfDeviceRecord record{};
        bool found = false;
        OsConfSupport support;
    };

    bool Resolve();
    void Close();
    void ChooseDevices();
    void ReadSupport(Entry& entry);
    bool Call(Device device, std::string_view name,
              std::array<std::uint8_t, kOsConfValueSize>& value, std::span<std::int32_t> second,
              int direction);

    void* m_handle = nullptr;
    OsConfLibInitFn m_init = nullptr;
    OsConfCreateDeviceListFn m_createList = nullptr;
    OsConfGetDeviceCountFn m_deviceCount = nullptr;
    OsConfGetDeviceByIdFn m_deviceById = nullptr;
    OsConfPropertyControlFn m_property = nullptr;
    State m_state = State::kClosed;
    Entry m_deviceA;
    Entry m_deviceB;
};

}  // namespace quaro
