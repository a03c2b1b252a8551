#include "devices/keyboard/KeyboardSettingsRecord.h"

#include <algorithm>

namespace quaro {

KeyboardSettingsBytes KeyboardSettingsRecord::Compose(std::uint8_t recordNumber,
                                                      const LightSetting& light,
                                                      const SystemSettings& system) {
    KeyboardSettingsBytes record{};
    record[0] = recordNumber;
    WriteLightFields(record, light, (light.effect == 3 || light.effect == 13) ? light.effect : 1);
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
    ReadLightFields(record, out);
    out.wFlag = record[19];
    out.key6Flag = record[20];
    out.winFlag = record[21];
    std::copy_n(record.begin(), kKeyboardSettingsRecordSize, out.kept.begin());
    out.kept[16] = 0;
    return true;
}

bool KeyboardSettingsRecord::Decode(std::span<const std::uint8_t> record,
                                    KeyboardSettingsFields& out) {
    if (record.size() < kKeyboardSettingsRecordSize) {
        return false;
    }
    ReadLightFields(record, out);
    out.recordNumber = record[0];
    out.direction = record[4];
    out.wFlag = record[19];
    out.key6Flag = record[20];
    out.winFlag = record[21];
    out.pollingRate = record[22];
    return true;
}

}  // namespace quaro
