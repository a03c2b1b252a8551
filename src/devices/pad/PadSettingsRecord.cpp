#include "devices/pad/PadSettingsRecord.h"

#include <algorithm>

namespace quaro {

bool PadSettingsRecord::TakeFromDevice(std::span<const std::uint8_t> read) {
    if (read.size() < kPadSettingsReadSize) {
        return false;
    }
    std::copy_n(read.begin(), kPadSettingsKeptSize, m_bytes.begin());
    m_bytes[3] = static_cast<std::uint8_t>(4 - m_bytes[3]);
    return true;
}

void PadSettingsRecord::ApplyLight(const LightSetting& light) {
    m_bytes[1] = light.effect;
    m_bytes[2] = light.brightness;
    m_bytes[3] = light.speed;
    m_bytes[5] = light.multiColor;
    m_bytes[6] = light.red;
    m_bytes[7] = light.green;
    m_bytes[8] = light.blue;
}

LightSetting PadSettingsRecord::OverLight(LightSetting light) const {
    light.effect = m_bytes[1];
    light.brightness = m_bytes[2];
    light.speed = m_bytes[3];
    light.multiColor = m_bytes[5];
    light.red = m_bytes[6];
    light.green = m_bytes[7];
    light.blue = m_bytes[8];
    return light;
}

PadSettingsBytes PadSettingsRecord::ComposeForDevice() const {
    PadSettingsBytes out = m_bytes;
    out[3] = static_cast<std::uint8_t>(4 - m_bytes[3]);
    if (out[1] >= kPadLightModeCount) {
        out[1] = 0;
    }
    return out;
}

bool PadSettingsRecord::Decode(std::span<const std::uint8_t> read, PadSettingsFields& out) {
    if (read.size() < kPadSettingsReadSize) {
        return false;
    }
    ReadLightFields(read, out);
    out.recordNumber = read[0];
    out.direction = read[4];
    std::copy_n(read.begin() + 9, out.opaque.size(), out.opaque.begin());
    return true;
}

}  // namespace quaro
