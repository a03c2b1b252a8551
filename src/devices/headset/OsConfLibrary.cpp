#include "devices/headset/OsConfLibrary.h"

#include "platform/Trace.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace quaro {
namespace {

// The playback device types in the order the library's own tools prefer them.
constexpr std::uint32_t kPlaybackTypes[] = {1, 12, 7, 4};
constexpr std::uint32_t kCaptureType = 2;
constexpr std::uint32_t kActive = 1;
constexpr std::size_t kSupportFieldCount = 7;
// A device list longer than this is not a headset's; the scan stops rather than trust it.
constexpr int kMaxDevices = 64;

std::u16string Utf16Name(std::string_view name) {
    std::u16string wide(name.begin(), name.end());
    return wide;
}

bool Printable(std::uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F;
}

std::int64_t FieldNumber(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) {
        field.remove_prefix(1);
    }
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) {
        field.remove_suffix(1);
    }
    int base = 10;
    if (field.size() > 2 && field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) {
        field.remove_prefix(2);
        base = 16;
    }
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(field.data(), field.data() + field.size(), value, base);
    (void)end;
    return error == std::errc() ? value : 0;
}

}  // namespace

std::string OsConfReplyText(std::span<const std::uint8_t> buffer) {
    std::string text;
    if (buffer.size() >= 2 && Printable(buffer[0]) && Printable(buffer[1])) {
        for (const std::uint8_t byte : buffer) {
            if (byte == 0) {
                break;
            }
            text.push_back(Printable(byte) ? static_cast<char>(byte) : '?');
        }
        return text;
    }
    for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
        // The units are the library's native order, which is ours.
        char16_t unit = 0;
        std::memcpy(&unit, buffer.data() + i, sizeof unit);
        if (unit == 0) {
            break;
        }
        text.push_back(unit >= 0x20 && unit < 0x7F ? static_cast<char>(unit) : '?');
    }
    return text;
}

std::optional<OsConfSupport> ParseOsConfSupport(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (fields.size() < kSupportFieldCount) {
        return std::nullopt;
    }
    return OsConfSupport{FieldNumber(fields[0]), FieldNumber(fields[4]), FieldNumber(fields[6])};
}

OsConfLibrary::~OsConfLibrary() {
    Close();
}

void OsConfLibrary::Close() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
    m_init = nullptr;
    m_createList = nullptr;
    m_deviceCount = nullptr;
    m_deviceById = nullptr;
    m_property = nullptr;
}

OsConfLibrary::State OsConfLibrary::Open(const std::filesystem::path& applicationFolder) {
    if (m_state != State::kClosed) {
        return m_state;
    }
    const std::filesystem::path path = applicationFolder / kRelativePath;
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* why = dlerror();
        TraceFormat("audio library %s not loaded: %s\n", path.c_str(), why != nullptr ? why : "");
        m_state = State::kMissing;
        return m_state;
    }
    if (!Resolve()) {
        TraceFormat("audio library %s lacks an entry point; not used\n", path.c_str());
        Close();
        m_state = State::kMissing;
        return m_state;
    }
    if (m_init() != 0) {
        Trace("ConfLibInit called failed!");
        m_state = State::kInitFailed;
        return m_state;
    }
    m_createList();
    int playbackCount = 0;
    m_deviceCount(kOsConfPlaybackFlow, &playbackCount);
    if (playbackCount <= 0) {
        m_state = State::kNoPlayback;
        return m_state;
    }
    ChooseDevices();
    if (!m_deviceB.found) {
        Trace("audio library: the headset's capture device was not found");
        m_state = State::kNoCapture;
        return m_state;
    }
    m_state = State::kReady;
    if (m_deviceA.found) {
        ReadSupport(m_deviceA);
    }
    ReadSupport(m_deviceB);
    return m_state;
}

bool OsConfLibrary::Resolve() {
    m_init = reinterpret_cast<OsConfLibInitFn>(dlsym(m_handle, "ConfLibInit"));
    m_createList = reinterpret_cast<OsConfCreateDeviceListFn>(dlsym(m_handle, "CreateDeviceList"));
    m_deviceCount = reinterpret_cast<OsConfGetDeviceCountFn>(dlsym(m_handle, "GetDeviceCount"));
    m_deviceById = reinterpret_cast<OsConfGetDeviceByIdFn>(dlsym(m_handle, "GetDeviceById"));
    m_property = reinterpret_cast<OsConfPropertyControlFn>(dlsym(m_handle, "PropertyControl"));
    return m_init != nullptr && m_createList != nullptr && m_deviceCount != nullptr &&
           m_deviceById != nullptr && m_property != nullptr;
}

void OsConfLibrary::ChooseDevices() {
    const auto scan = [this](int flow) {
        std::vector<OsConfDeviceRecord> devices;
        int count = 0;
        m_deviceCount(flow, &count);
        for (int i = 0; i < count && i < kMaxDevices; ++i) {
            OsConfDeviceRecord record{};
            if (m_deviceById(flow, i, &record) == 0) {
                devices.push_back(record);
            }
        }
        return devices;
    };
    const std::vector<OsConfDeviceRecord> playback = scan(kOsConfPlaybackFlow);
    for (const std::uint32_t type : kPlaybackTypes) {
        for (const OsConfDeviceRecord& record : playback) {
            if (record.state == kActive && record.type == type) {
                m_deviceA = Entry{record, true, {}};
                break;
            }
        }
        if (m_deviceA.found) {
            break;
        }
    }
    for (const OsConfDeviceRecord& record : scan(kOsConfCaptureFlow)) {
        if (record.type == kCaptureType) {
            m_deviceB = Entry{record, true, {}};
            break;
        }
    }
}

void OsConfLibrary::ReadSupport(Entry& entry) {
    std::array<std::uint8_t, kOsConfValueSize> value{};
    std::optional<OsConfSupport> support;
    if (m_property(entry.record, u"GetSupportFeature", value.data(), nullptr, kOsConfGet) == 0) {
        support = ParseOsConfSupport(OsConfReplyText(value));
    }
    if (!support) {
        Trace("UpdateAPOAvailable failed!");
        return;
    }
    entry.support = *support;
}

bool OsConfLibrary::HasDevice(Device device) const {
    return IsReady() && (device == Device::kA ? m_deviceA.found : m_deviceB.found);
}

const OsConfSupport& OsConfLibrary::Support(Device device) const {
    return device == Device::kA ? m_deviceA.support : m_deviceB.support;
}

bool OsConfLibrary::Call(Device device, std::string_view name,
                         std::array<std::uint8_t, kOsConfValueSize>& value,
                         std::span<std::int32_t> second, int direction) {
    if (!HasDevice(device)) {
        return false;
    }
    const Entry& entry = device == Device::kA ? m_deviceA : m_deviceB;
    const std::u16string wide = Utf16Name(name);
    return m_property(entry.record, wide.c_str(), value.data(),
                      second.empty() ? nullptr : second.data(), direction) == 0;
}

bool OsConfLibrary::GetInt(Device device, std::string_view name, std::int32_t& value,
                           std::span<std::int32_t> second) {
    std::array<std::uint8_t, kOsConfValueSize> buffer{};
    if (!Call(device, name, buffer, second, kOsConfGet)) {
        return false;
    }
    std::memcpy(&value, buffer.data(), sizeof value);
    return true;
}

bool OsConfLibrary::SetInt(Device device, std::string_view name, std::int32_t value,
                           std::span<std::int32_t> second) {
    std::array<std::uint8_t, kOsConfValueSize> buffer{};
    std::memcpy(buffer.data(), &value, sizeof value);
    return Call(device, name, buffer, second, kOsConfSet);
}

bool OsConfLibrary::SetFloat(Device device, std::string_view name, float value,
                             std::span<std::int32_t> second) {
    std::array<std::uint8_t, kOsConfValueSize> buffer{};
    std::memcpy(buffer.data(), &value, sizeof value);
    return Call(device, name, buffer, second, kOsConfSet);
}

bool OsConfLibrary::GetText(Device device, std::string_view name, std::string& text,
                            std::span<std::int32_t> second) {
    std::array<std::uint8_t, kOsConfValueSize> buffer{};
    if (!Call(device, name, buffer, second, kOsConfGet)) {
        return false;
    }
    text = OsConfReplyText(buffer);
    return true;
}

bool OsConfLibrary::GetNumber(Device device, std::string_view name, double& value,
                              std::span<std::int32_t> second) {
    std::string text;
    if (!GetText(device, name, text, second)) {
        return false;
    }
    // from_chars, unlike strtod, reads the same whatever locale the application runs in.
    std::string_view digits = text;
    while (!digits.empty() && digits.front() == ' ') {
        digits.remove_prefix(1);
    }
    double parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    (void)end;
    if (error != std::errc() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace quaro
