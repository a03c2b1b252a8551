// Device replies through the codecs that read them (key and button images, light table, settings
// and status records) and key events through the reactive effects: no input may read or write out
// of bounds.

#include "devices/StatusRecord.h"
#include "devices/keyboard/KeyLightFrame.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/light/KeyboardLightEngine.h"
#include "devices/light/LedLightEngine.h"
#include "devices/mouse/MouseButtonMap.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "devices/pad/PadSettingsRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quaro;
    if (size < 4) {
        return 0;
    }
    const std::span<const std::uint8_t> input(data, size);
    const int keyCount = input[0];
    const std::uint8_t mode = input[1];
    const std::span<const std::uint8_t> body = input.subspan(2);

    // The key image followed by the light table, as far as the reply reaches.
    const std::size_t imageLength = std::min<std::size_t>(body.size(), keyCount * 3u);
    const KeyMaps maps = BuildKeyMaps(body.first(imageLength), body.subspan(imageLength), keyCount);
    std::vector<KeyAssignmentEntry> keys(126);
    for (std::size_t k = 0; k < keys.size() && k < body.size(); ++k) {
        keys[k].code = {body[k], body[body.size() - 1 - k], static_cast<std::uint8_t>(k)};
    }
    const std::vector<std::uint8_t> image = ComposeKeyImage(body, maps, keys);
    (void)image;

    KeyboardSettingsReadBack keyboard;
    KeyboardSettingsRecord::Parse(body, keyboard);
    MouseSettingsReadBack mouse;
    MouseSettingsRecord::Parse(body, mouse);
    PadSettingsRecord pad;
    pad.TakeFromDevice(body);
    const PadSettingsBytes padBytes = pad.ComposeForDevice();
    (void)padBytes;
    KeyboardSettingsFields keyboardFields;
    KeyboardSettingsRecord::Decode(body, keyboardFields);
    MouseSettingsFields mouseFields;
    MouseSettingsRecord::Decode(body, mouseFields);
    PadSettingsFields padFields;
    PadSettingsRecord::Decode(body, padFields);
    const StatusRecord status = StatusRecord::Parse(body, (mode & 1) != 0);
    (void)status;
    const MouseButtonMap buttons = BuildMouseButtonMap(body.first(imageLength), keyCount);
    (void)LogicalButtonAtSlot(buttons, mode);

    // Key events and steps of the mode the record names, with settings taken from the reply.
    std::uint32_t now = 0;
    KeyboardLightEngine engine([&now] { return now; }, SeededRandomSource(1));
    engine.CustomEffect().SetSteps({{body[0], body[1], body[0], 0, 1, 1, 2, 3, body[1], 0}});
    engine.Start(mode);
    LightSetting setting{.effect = mode,
                         .brightness = keyboard.brightness,
                         .speed = keyboard.speed,
                         .direction = body[0],
                         .multiColor = body[1],
                         .red = 1,
                         .green = 2,
                         .blue = 3};
    LedLightEngine leds(LedDeviceKind::kPad, 15, [&now] { return now; });
    for (std::size_t i = 0; i + 1 < body.size() && i < 64; i += 2) {
        engine.React(mode, body[i], body[i + 1] & 3);
        engine.Step(mode, setting);
        leds.Step(pad.Mode(), setting);
        now += body[i] * 37u;
    }
    std::array<std::uint8_t, 512> frame{};
    ComposeKeyLightFrame(engine.SnapshotColors(), maps, frame);
    return 0;
}
