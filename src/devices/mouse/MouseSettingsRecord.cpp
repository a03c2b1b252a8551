#include "devices/mouse/MouseSettingsRecord.h"

#include <algorithm>

namespace quaro {
namespace {

void Put16(MouseSettingsBytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

}  // namespace

MouseSettingsBytes MouseSettingsRecord::Compose(const MouseSettingsInput& input) {
    MouseSettingsBytes record{};
    const LightSetting& light = input.light;
    record[0] = input.recordNumber;
    WriteLightFields(record, light, light.effect < kMouseLightModeCount ? light.effect : 0);
    record[11] = input.reportRate;
    record[12] = input.activeStage;
    for (std::size_t s = 0; s < input.stages.size() && s < kMouseDpiStageCount; ++s) {
        const DpiStage& stage = input.stages[s];
        const std::size_t at = 14 + 9 * s;
        record[at] = stage.enabled;
        record[at + 1] = stage.xyFlag;
        Put16(record, at + 2, stage.dpiX);
        Put16(record, at + 4, stage.dpiY);
        record[at + 6] = stage.red;
        record[at + 7] = stage.green;
        record[at + 8] = stage.blue;
    }
    record[59] = 1;
    Put16(record, 60, input.screenWidth);
    Put16(record, 62, input.screenHeight);
    for (const CorrectPreset& preset : input.corrections) {
        if (preset.select != 0) {
            record[64] = preset.minimumSquare;
            record[65] = preset.pixelThreshold;
            break;
        }
    }
    return record;
}

bool MouseSettingsRecord::Parse(std::span<const std::uint8_t> record, MouseSettingsReadBack& out) {
    if (record.size() < kMouseSettingsReadSize) {
        return false;
    }
    ReadLightFields(record, out);
    out.activeStage = record[12];
    return true;
}

bool MouseSettingsRecord::Decode(std::span<const std::uint8_t> record, MouseSettingsFields& out) {
    if (record.size() < kMouseSettingsReadSize) {
        return false;
    }
    ReadLightFields(record, out);
    out.recordNumber = record[0];
    out.direction = record[4];
    out.reportRate = record[11];
    out.activeStage = record[12];
    for (std::size_t s = 0; s < out.stages.size(); ++s) {
        const std::size_t at = 14 + 9 * s;
        DpiStage& stage = out.stages[s];
        stage.enabled = record[at];
        stage.xyFlag = record[at + 1];
        stage.dpiX = Get16(record, at + 2);
        stage.dpiY = Get16(record, at + 4);
        stage.red = record[at + 6];
        stage.green = record[at + 7];
        stage.blue = record[at + 8];
    }
    out.screenWidth = Get16(record, 60);
    out.screenHeight = Get16(record, 62);
    out.minimumSquare = record[64];
    out.pixelThreshold = record[65];
    std::copy_n(record.begin() + kMouseSettingsWriteSize, out.trailing.size(),
                out.trailing.begin());
    return true;
}

}  // namespace quaro
