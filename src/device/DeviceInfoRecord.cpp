#include "device/DeviceInfoRecord.h"

namespace quaro {

namespace {

uint16_t Read16(std::span<const uint8_t, kDeviceInfoSize> record, size_t at) {
    return static_cast<uint16_t>(record[at] | (record[at + 1] << 8));
}

void Write16(DeviceInfoBytes& record, size_t at, uint16_t value) {
    record[at] = static_cast<uint8_t>(value & 0xFF);
    record[at + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

DeviceInfo ParseDeviceInfo(std::span<const uint8_t, kDeviceInfoSize> record) {
    DeviceInfo info;
    info.firmwareVersion = Read16(record, kInfoFirmwareLow);
    info.keyCount = record[kInfoKeyCount];
    info.macroCapacity = static_cast<uint32_t>(record[kInfoMacroUnits]) * kMacroUnitBytes;
    info.dpiStep = record[kInfoDpiStep];
    info.sliderMax = Read16(record, kInfoSliderMax);
    info.minDpi = Read16(record, kInfoMinDpi);
    return info;
}

DeviceInfoBytes ComposeDeviceInfo(const DeviceInfo& info) {
    DeviceInfoBytes record{};
    Write16(record, kInfoFirmwareLow, info.firmwareVersion);
    record[kInfoKeyCount] = info.keyCount;
    record[kInfoMacroUnits] = static_cast<uint8_t>(info.macroCapacity / kMacroUnitBytes);
    record[kInfoDpiStep] = info.dpiStep;
    Write16(record, kInfoSliderMax, info.sliderMax);
    Write16(record, kInfoMinDpi, info.minDpi);
    return record;
}

}  // namespace quaro
