#include "devices/mouse/MouseDriver.h"

#include "devices/keyboard/MacroImage.h"
#include "platform/Trace.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quaro {

namespace {

// The image length of a button count, or 0 when there is nothing to read or the channel would
// refuse it (the 512-byte limit).
uint16_t ImageLengthOf(int buttonCount) {
    const int length = buttonCount * 3;
    return buttonCount > 0 && length <= CommandChannel::kMaxImageLength
               ? static_cast<uint16_t>(length)
               : 0;
}

// The stored image with each mapped logical button's code at its slot; slots no button maps keep
// what the mouse had there.
std::vector<uint8_t> ComposeButtonImage(std::span<const uint8_t> storedImage,
                                        const MouseButtonMap& map,
                                        std::span<const KeyAssignmentEntry> buttons) {
    std::vector<uint8_t> image(storedImage.begin(), storedImage.end());
    for (std::size_t button = 0; button < buttons.size() && button < map.size(); ++button) {
        const std::size_t at = static_cast<std::size_t>(map[button]) * 3;
        if (map[button] == kNoMouseButtonSlot || at + 3 > image.size()) {
            continue;
        }
        image[at] = buttons[button].code.type;
        image[at + 1] = buttons[button].code.first;
        image[at + 2] = buttons[button].code.second;
    }
    return image;
}

}  // namespace

MouseInfo MouseInfo::From(const DeviceInfoBytes& record) {
    const DeviceInfo info = ParseDeviceInfo(record);
    MouseInfo mouse;
    mouse.buttonCount = info.keyCount;
    mouse.dpiStep = info.dpiStep;
    mouse.sliderMax = info.sliderMax;
    mouse.minDpi = info.minDpi;
    mouse.macroCapacityBytes = info.macroCapacity;
    return mouse;
}

MouseDriver::MouseDriver(std::shared_ptr<HidBackend> backend, MouseDriverSink* sink, Clock clock,
                         MillisecondClock lightClock)
    : DeviceDriver(std::move(backend), sink, std::move(clock)),
      m_sink(sink),
      m_frame(Primary(), [this] { return LinkGuard(); }),
      m_reader(
          Secondary().Device(), kRereadDelay, [this](std::uint16_t code) { OnEvent(code); },
          [this] { QueueRead(MouseReadCause::kSettingsChanged); }),
      m_light(Primary(), std::move(lightClock)) {
    m_map.fill(kNoMouseButtonSlot);
}

MouseDriver::~MouseDriver() {
    m_light.Stop();
    Stop();
    DetachSecondary();
    Disconnect();
}

bool MouseDriver::LinkGuard() {
    CommandChannel& channel = Primary();
    if (!channel.IsSlowLink() || channel.LinkCheck()) {
        return true;
    }
    Trace("mouse not reached through its receiver; the command is not sent");
    return false;
}

uint32_t MouseDriver::RequestStart() {
    return RunFlow([this](DeviceDriver&) { return StartFlow(); });
}

int32_t MouseDriver::StartFlow() {
    CommandChannel& channel = Primary();
    MouseStartRead read;
    read.flowId = CurrentFlowId();
    std::vector<uint8_t> image;
    int buttonCount = 0;
    // The mouse still listens unless it fell silent: it gets its End, also after a refusal of
    // ours and after an image it was never asked for.
    read.result = m_frame.StartRead([&](bool& refusedHere) -> int32_t {
        const int32_t result = m_frame.Send([&] { return ReadInfoRecord(); });
        if (result != kResultSuccess) {
            return result;
        }
        read.infoRead = true;
        buttonCount = MouseInfo::From(InfoRecord()).buttonCount;
        const uint16_t length = ImageLengthOf(buttonCount);
        if (length == 0 || channel.SetImageLength(length) != kResultSuccess) {
            TraceFormat("mouse of %d buttons: no button image of that size is read", buttonCount);
            refusedHere = true;
            return kResultFailed;
        }
        image.assign(length, 0);
        return m_frame.Send([&] { return channel.ReadKeyImage(image); });
    });
    const bool complete = read.result == kResultSuccess;
    {
        std::lock_guard lock(m_stateMutex);
        // Only a whole read replaces image and map: a mouse unplugged halfway must not leave the
        // page with half an image to write back later.
        if (complete) {
            m_image = image;
            m_buttonCount = buttonCount;
            m_map = BuildMouseButtonMap(image, buttonCount);
        }
        read.imageRead = complete;
        read.map = m_map;
    }
    read.info = Info();
    if (m_sink != nullptr) {
        m_sink->OnMouseStartRead(read);
    }
    return read.result;
}

uint32_t MouseDriver::RequestReadSettings() {
    return QueueRead(MouseReadCause::kRequested);
}

uint32_t MouseDriver::QueueRead(MouseReadCause cause) {
    return RunFlow([this, cause](DeviceDriver&) { return ReadFlow(cause); });
}

int32_t MouseDriver::ReadFlow(MouseReadCause cause) {
    MouseRecordRead read;
    read.flowId = CurrentFlowId();
    read.cause = cause;
    std::array<uint8_t, kMouseSettingsReadSize> bytes{};
    read.result = m_frame.ReadRecordInForce(bytes, kMouseSettingsRecordStride);
    {
        std::lock_guard lock(m_stateMutex);
        read.previousLight = m_lightSetting;
        // Only when both reads succeeded: a failed read must not put zeros into the profile.
        if (read.result == kResultSuccess && MouseSettingsRecord::Parse(bytes, read.record)) {
            m_record = read.record;
            m_lightSetting = WithLightFields(m_lightSetting, read.record);
        } else if (read.result == kResultSuccess) {
            read.result = kResultFailed;
        }
        read.light = m_lightSetting;
    }
    if (read.Succeeded()) {
        m_light.SetSetting(read.light);
    } else {
        TraceFormat("mouse settings record not read (%d); the profile keeps its own", read.result);
    }
    if (m_sink != nullptr) {
        m_sink->OnSettingsRecordRead(read);
    }
    return read.result;
}

uint32_t MouseDriver::RequestWriteSettingsRecord(const MouseSettingsWrite& settings,
                                                 std::uint8_t recordNumber) {
    MouseSettingsInput input;
    input.recordNumber = recordNumber;
    input.light = settings.light;
    input.reportRate = settings.reportRate;
    input.activeStage = settings.activeStage;
    input.stages = settings.stages;
    input.screenWidth = settings.screenWidth;
    input.screenHeight = settings.screenHeight;
    input.corrections = settings.corrections;
    const MouseSettingsBytes bytes = MouseSettingsRecord::Compose(input);
    const auto address = static_cast<uint16_t>(recordNumber * kMouseSettingsRecordStride);
    return RunFlow(
        [this, bytes, address](DeviceDriver&) { return WriteSettingsFlow(bytes, address); });
}

int32_t MouseDriver::WriteSettingsFlow(const MouseSettingsBytes& bytes, uint16_t address) {
    return m_frame.WriteRecord(RefusedBegin::kEnd, bytes, address);
}

uint32_t MouseDriver::RequestDownloadMacros(std::vector<MacroEvents> macros) {
    return RunFlow([this, macros = std::move(macros)](DeviceDriver&) { return MacroFlow(macros); });
}

int32_t MouseDriver::MacroFlow(std::span<const MacroEvents> macros) {
    MouseMacroDownload download;
    download.flowId = CurrentFlowId();
    download.result = m_frame.Send([&] { return ReadInfoRecord(); });
    if (download.result == kResultSuccess) {
        download.capacityBytes = MouseInfo::From(InfoRecord()).macroCapacityBytes;
        MacroImageResult packed = MacroImage::Pack(macros, download.capacityBytes);
        download.figure = packed.status;
        if (packed.status > 0) {
            TraceFormat("macros not sent: %zu bytes of macro memory, %d units over",
                        download.capacityBytes, packed.status);
        } else if (packed.status < 0) {
            Trace("macros not sent: no memory for the block");
        } else if (!packed.bytes.empty()) {
            download.result = m_frame.SendBracketed(
                RefusedBegin::kEnd, [&] { return Primary().WriteMacroImage(packed.bytes); });
        }
    }
    if (m_sink != nullptr) {
        m_sink->OnMacroDownload(download);
    }
    return download.result;
}

uint32_t MouseDriver::RequestWriteKeyAssignments(std::vector<KeyAssignmentEntry> buttons) {
    return RunFlow(
        [this, buttons = std::move(buttons)](DeviceDriver&) { return ButtonImageFlow(buttons); });
}

int32_t MouseDriver::ButtonImageFlow(std::span<const KeyAssignmentEntry> buttons) {
    const int32_t info = m_frame.Send([&] { return ReadInfoRecord(); });
    if (info != kResultSuccess) {
        return info;
    }
    const int buttonCount = MouseInfo::From(InfoRecord()).buttonCount;
    std::vector<uint8_t> image;
    {
        std::lock_guard lock(m_stateMutex);
        // The image is composed over the one read at the start; without it (or with a mouse that
        // now reports another button count) the slots nobody maps would be written blind.
        if (m_buttonCount == buttonCount && !m_image.empty()) {
            image = ComposeButtonImage(m_image, m_map, buttons);
        }
    }
    const uint16_t length = ImageLengthOf(buttonCount);
    if (image.empty() || length == 0 || Primary().SetImageLength(length) != kResultSuccess) {
        TraceFormat(
            "button image not written: the mouse reports %d buttons and no image of that size "
            "was read",
            buttonCount);
        return kResultFailed;
    }
    return m_frame.SendBracketed(RefusedBegin::kEnd,
                                 [&] { return Primary().WriteKeyImage(image, 0); });
}

MouseInfo MouseDriver::Info() const {
    return MouseInfo::From(InfoRecord());
}

MouseButtonMap MouseDriver::ButtonMap() const {
    std::lock_guard lock(m_stateMutex);
    return m_map;
}

std::vector<std::uint8_t> MouseDriver::ButtonImage() const {
    std::lock_guard lock(m_stateMutex);
    return m_image;
}

std::optional<MouseSettingsReadBack> MouseDriver::LastRecord() const {
    std::lock_guard lock(m_stateMutex);
    return m_record;
}

void MouseDriver::ApplyLight(const LightSetting& light) {
    {
        std::lock_guard lock(m_stateMutex);
        m_lightSetting = light;
    }
    m_light.SetSetting(light);
}

LightSetting MouseDriver::CurrentLight() const {
    std::lock_guard lock(m_stateMutex);
    return m_lightSetting;
}

bool MouseDriver::SubmitLightFrame() {
    std::array<uint8_t, kMouseFrameSize> frame{};
    const std::size_t length = m_light.ComposeFrame(frame);
    return SubmitFrame(std::span<const uint8_t>(frame.data(), length));
}

bool MouseDriver::IsRereadPending() const {
    return m_reader.IsRereadPending();
}

void MouseDriver::StartEventReader() {
    m_reader.Start();
}

void MouseDriver::StopEventReader() {
    m_reader.Stop();
}

void MouseDriver::OnEvent(std::uint16_t code) {
    Trace("接收到自动添加设备的同步信息要求  TEST");
    if (code == SecondaryEventReader::kSettingsChangedEvent) {
        Trace("接收到自动添加设备的同步信息要求");
        m_reader.ScheduleReread();
    }
}

}  // namespace quaro
