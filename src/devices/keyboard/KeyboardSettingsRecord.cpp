#include "devices/keyboard/KeyboardSettingsRecord.h"

#include <algorithm>

namespace quaro {

KeyboardSettingsBytes KeyboardSettingsRecord::Compose(std::uint8_t recordNumber,
                                                      const LightSetting& light,
                                                      const SystemSettings& system) {
    KeyboardSettingsBytes record{};
    record[0] = recordNumber;
    record[1] = (light.effect == 3 || light.effect == 13) ? light.effect : 1;
    record[2] = light.brightness;
    record[3] = static_cast<std::uint8_t>(4 - light.speed);
    record[4] = light.direction;
    record[5] = light.multiColor;
    record[6] = light.red;
    record[7] = light.green;
    record[8] = light.blue;
    record[19] = static_cast<std::uint8_t>(system.wFlag & 0xFF);
    record[20] = static_cast<std::uint8_t>(system.key6Flag & 0xFF);
    record[21] = static_cast<std::uint8_t>(system.winFlag & 0xFF);
    record[22] = static_cast<std::uint8_t>(system.pollingRate & 0xFF);
    return record;
}

bool KeyboardSettingsRecord::Parse(std::span<const std::uint8_t> record,
                                   KeyboardSettingsReadBack& out) {
    if (record.size() < kKeyboardSettingsRecordSize) {
        return false;
    }
    out.mode = record[1];
    out.brightness = record[2];
    out.speed = static_cast<std::uint8_t>(4 - record[3]);
    out.multiColor = record[5];
    out.red = record[6];
    out.green = record[7];
    out.blue = record[8];
    out.wFlag = record[19];
    out.key6Flag = record[20];
    out.winFlag = record[21];
    std::copy_n(record.begin(), kKeyboardSettingsRecordSize, out.kept.begin());
    out.kept[16] = 0;
    return true;
}

}  // namespace quaro
