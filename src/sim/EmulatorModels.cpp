#include "sim/EmulatorModels.h"

#include "sim/EmulatorDescriptors.h"
#include "sim/KeyboardMatrix.h"

namespace quaro {

namespace {

// Settings memory: records of the light block, byte 0 naming the record in force.
constexpr size_t kKeyboardSettingsBytes = 256;
constexpr size_t kMouseSettingsBytes = 512;
constexpr size_t kPadSettingsBytes = 256;
constexpr size_t kStatusBytes = 6;

// Factory light record of keyboard, pad and headset (25 bytes at record 0): mode 1, full
// brightness, middle speed, multicolour.
std::vector<uint8_t> LightRecordMemory(size_t size) {
    std::vector<uint8_t> memory(size, 0);
    const uint8_t record[] = {0x00, 0x01, 0x04, 0x02, 0x00, 0x01, 0xFF, 0x00, 0x00};
    std::copy(std::begin(record), std::end(record), memory.begin());
    return memory;
}

// Identity and interfaces; the command and event collections share one interface on every
// device of the family. The information record starts with the firmware version only.
EmulatorModel BaseModel(std::string name, std::string product, uint16_t vendorId,
                        uint16_t productId, uint16_t version,
                        std::vector<EmulatorInterface> interfaces, uint16_t commandInterface) {
    EmulatorModel model;
    model.name = std::move(name);
    model.product = std::move(product);
    model.vendorId = vendorId;
    model.productId = productId;
    model.version = version;
    model.interfaces = std::move(interfaces);
    model.commandInterface = commandInterface;
    model.eventInterface = commandInterface;
    DeviceInfo info;
    info.firmwareVersion = version;
    model.memory.info = ComposeDeviceInfo(info);
    model.memory.status.assign(kStatusBytes, 0);
    return model;
}

}  // namespace

EmulatorModel KeyboardModel() {
    EmulatorModel model =
        BaseModel("keyboard", "RGB gaming keyboard", 0x0C45, 0x7666, 0x0105,
                  {{0, BootKeyboardDescriptor()}, {1, ControlInterfaceDescriptor()}}, 1);
    DeviceInfo info = ParseDeviceInfo(model.memory.info);
    info.keyCount = kKeyboardSlots;
    info.macroCapacity = 32 * kMacroUnitBytes;
    model.memory.info = ComposeDeviceInfo(info);
    model.memory.keyImage = KeyboardFactoryImage();
    model.memory.keyLightIndexTable = KeyboardLightIndexTable();
    model.memory.settings = LightRecordMemory(kKeyboardSettingsBytes);
    model.memory.macros.assign(info.macroCapacity, 0);
    return model;
}

EmulatorModel MouseModel() {
    // The mouse rows of the catalogue carry vendor and product 0; the emulator presents the
    // same so that its interfaces match those rows.
    EmulatorModel model =
        BaseModel("mouse", "RGB gaming mouse", 0x0000, 0x0000, 0x0102,
                  {{0, BootMouseDescriptor()}, {1, ControlInterfaceDescriptor()}}, 1);
    DeviceInfo info = ParseDeviceInfo(model.memory.info);
    info.keyCount = 10;
    info.macroCapacity = 16 * kMacroUnitBytes;
    info.dpiStep = 50;
    info.sliderMax = 320;
    info.minDpi = 100;
    model.memory.info = ComposeDeviceInfo(info);
    // Physical button slots in the firmware's own order: left, right, middle, back, forward,
    // DPI down, DPI up, DPI cycle, DPI shift to 400, game mode.
    model.memory.keyImage = {0x10, 0x01, 0x00, 0x10, 0x02, 0x00, 0x10, 0x04, 0x00, 0x10,
                             0x08, 0x00, 0x10, 0x10, 0x00, 0x13, 0x02, 0x00, 0x13, 0x01,
                             0x00, 0x13, 0x03, 0x00, 0x16, 0x90, 0x01, 0xA0, 0x1B, 0x00};
    model.memory.keyLightIndexTable.assign(info.keyCount, 0xFF);
    model.memory.settings.assign(kMouseSettingsBytes, 0);
    // Record 0: mode 0, brightness 4, DPI stage 0 enabled at 16 units (800 DPI).
    model.memory.settings[2] = 4;
    model.memory.settings[14] = 1;
    model.memory.settings[16] = 16;
    model.memory.settings[18] = 16;
    model.memory.macros.assign(info.macroCapacity, 0);
    return model;
}

EmulatorModel MousePadModel() {
    EmulatorModel model = BaseModel("mousepad", "RGB mouse pad", 0x0C45, 0x6627, 0x0100,
                                    {{1, ControlInterfaceDescriptor()}}, 1);
    model.memory.settings = LightRecordMemory(kPadSettingsBytes);
    // Power status as the power widget reads it: 100 %, charge state 0 (powered by the host),
    // wired, no phone on the charging surface.
    model.memory.status = {0x64, 0x00, 0x00, 0x00, 0x00, 0x00};
    return model;
}

EmulatorModel HeadsetModel() {
    EmulatorModel model = BaseModel("headset", "USB gaming headset", 0x0D8C, 0x01DA, 0x0100,
                                    {{3, HeadsetDescriptor()}}, 3);
    model.memory.settings = LightRecordMemory(kPadSettingsBytes);
    return model;
}

const std::vector<std::string_view>& EmulatorNames() {
    static const std::vector<std::string_view> kNames = {"keyboard", "mouse", "mousepad",
                                                         "headset"};
    return kNames;
}

std::optional<EmulatorModel> EmulatorModelByName(std::string_view name) {
    if (name == "keyboard") {
        return KeyboardModel();
    }
    if (name == "mouse") {
        return MouseModel();
    }
    if (name == "mousepad") {
        return MousePadModel();
    }
    if (name == "headset") {
        return HeadsetModel();
    }
    return std::nullopt;
}

}  // namespace quaro
