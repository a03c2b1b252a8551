#include "devices/keyboard/KeyboardDriver.h"

#include "device/HidReportData.h"
#include "devices/driver/FlowFrame.h"
#include "devices/keyboard/KeyLightFrame.h"
#include "devices/keyboard/MacroImage.h"
#include "platform/Trace.h"

#include <algorithm>
#include <utility>

namespace quaro {

namespace {

constexpr uint16_t kKeyPressBase = 0x0500;
constexpr uint16_t kKeyReleaseBase = 0x0600;
constexpr int kPressed = 1;
constexpr int kReleased = 2;

// A flow that failed this way found the keyboard silent or gone: any further command would cost
// another reply time-out for nothing.
bool IsSilent(int32_t result) {
    return result != kResultSuccess && !IsDeviceAnswer(result);
}

int KeyCountOf(const DeviceInfoBytes& info) {
    return info[kInfoKeyCount];
}

// The image length of a key count, or 0 when the channel would refuse it (the 512-byte limit).
uint16_t ImageLengthOf(int keyCount) {
    const int length = keyCount * 3;
    return length <= CommandChannel::kMaxImageLength ? static_cast<uint16_t>(length) : 0;
}

}  // namespace

KeyboardDriver::KeyboardDriver(std::shared_ptr<HidBackend> backend, KeyboardDriverSink* sink,
                               Clock clock, MillisecondClock lightClock, RandomSource random)
    : DeviceDriver(std::move(backend), sink, std::move(clock)),
      m_sink(sink),
      m_frame(Primary()),
      m_reader(
          Secondary().Device(), kRereadDelay,
          [this](std::uint16_t code) {
              Trace("接收到自动添加设备的同步信息要求  TEST");
              OnKeyEvent(code);
          },
          [this] { QueueRead(KeyboardReadCause::kSettingsChanged); }),
      m_light(Primary(), std::move(lightClock), std::move(random)) {}

KeyboardDriver::~KeyboardDriver() {
    m_light.Stop();
    Stop();
    DetachSecondary();
    Disconnect();
}

uint32_t KeyboardDriver::RequestStart() {
    return RunFlow([this](DeviceDriver&) { return StartFlow(); });
}

int32_t KeyboardDriver::StartFlow() {
    CommandChannel& channel = Primary();
    KeyboardStartRead read;
    read.flowId = CurrentFlowId();
    std::vector<uint8_t> image;
    std::vector<uint8_t> table;
    // The keyboard still listens unless it fell silent: it gets its End, also after a refusal
    // and after an image it was never asked for because it has too many keys.
    read.result = m_frame.StartRead([&](bool& refusedHere) -> int32_t {
        int32_t result = ReadInfoRecord();
        if (result != kResultSuccess) {
            return result;
        }
        read.keyCount = KeyCountOf(InfoRecord());
        const uint16_t length = ImageLengthOf(read.keyCount);
        if (length == 0 || channel.SetImageLength(length) != kResultSuccess) {
            TraceFormat("keyboard of %d keys: its image exceeds %u bytes and is not read",
                        read.keyCount, static_cast<unsigned>(CommandChannel::kMaxImageLength));
            refusedHere = true;
            return kResultFailed;
        }
        image.assign(length, 0);
        table.assign(static_cast<std::size_t>(read.keyCount), 0);
        result = channel.ReadKeyImage(image);
        if (result == kResultSuccess) {
            result = channel.ReadKeyLightIndexTable(table);
        }
        return result;
    });
    const bool complete = read.result == kResultSuccess;
    {
        std::lock_guard lock(m_stateMutex);
        // Only a whole read replaces the maps: a keyboard unplugged halfway must not leave the
        // page with half an image to write back later.
        if (complete) {
            m_image = image;
            m_maps = BuildKeyMaps(image, table, read.keyCount);
        }
        read.imageRead = complete;
        read.maps = m_maps;
    }
    if (m_sink != nullptr) {
        m_sink->OnKeyboardStartRead(read);
    }
    return read.result;
}

uint32_t KeyboardDriver::RequestReadSettings() {
    return QueueRead(KeyboardReadCause::kRequested);
}

uint32_t KeyboardDriver::QueueRead(KeyboardReadCause cause) {
    return RunFlow([this, cause](DeviceDriver&) { return ReadFlow(cause); });
}

int32_t KeyboardDriver::ReadFlow(KeyboardReadCause cause) {
    KeyboardRecordRead read;
    read.flowId = CurrentFlowId();
    read.cause = cause;
    KeyboardSettingsBytes bytes{};
    read.result = m_frame.ReadRecordInForce(bytes, kKeyboardSettingsRecordSize);
    std::vector<CustomLightColor> customColors;
    {
        std::lock_guard lock(m_stateMutex);
        read.previousLight = m_lightSetting;
        // Only when both reads succeeded: a failed read must not put zeros into the profile.
        if (read.result == kResultSuccess && KeyboardSettingsRecord::Parse(bytes, read.record)) {
            m_record = read.record;
            m_lightSetting = WithLightFields(m_lightSetting, read.record);
        } else if (read.result == kResultSuccess) {
            read.result = kResultFailed;
        }
        read.light = m_lightSetting;
        customColors = m_customColors;
    }
    if (read.Succeeded()) {
        m_light.SetSetting(read.light, customColors);
    } else {
        TraceFormat("keyboard settings record not read (%d); the profile keeps its own",
                    read.result);
    }
    if (m_sink != nullptr) {
        m_sink->OnSettingsRecordRead(read);
    }
    return read.result;
}

uint32_t KeyboardDriver::RequestWriteSettingsRecord(const LightSetting& light,
                                                    const SystemSettings& system,
                                                    std::uint8_t recordNumber) {
    const KeyboardSettingsBytes bytes =
        KeyboardSettingsRecord::Compose(recordNumber, light, system);
    const auto address = static_cast<uint16_t>(recordNumber * kKeyboardSettingsRecordSize);
    return RunFlow(
        [this, bytes, address](DeviceDriver&) { return WriteSettingsFlow(bytes, address); });
}

int32_t KeyboardDriver::WriteSettingsFlow(const KeyboardSettingsBytes& bytes, uint16_t address) {
    return m_frame.WriteRecord(RefusedBegin::kEnd, bytes, address);
}

uint32_t KeyboardDriver::RequestDownloadMacros(std::vector<MacroEvents> macros) {
    return RunFlow([this, macros = std::move(macros)](DeviceDriver&) { return MacroFlow(macros); });
}

int32_t KeyboardDriver::MacroFlow(std::span<const MacroEvents> macros) {
    KeyboardMacroDownload download;
    download.flowId = CurrentFlowId();
    download.result = ReadInfoRecord();
    if (download.result == kResultSuccess) {
        download.capacityBytes = InfoRecord()[kInfoMacroUnits] * kMacroUnitBytes;
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

uint32_t KeyboardDriver::RequestWriteKeyAssignments(std::vector<KeyAssignmentEntry> keys,
                                                    int imageIndex) {
    return RunFlow([this, keys = std::move(keys), imageIndex](DeviceDriver&) {
        return KeyImageFlow(keys, imageIndex);
    });
}

int32_t KeyboardDriver::KeyImageFlow(std::span<const KeyAssignmentEntry> keys, int imageIndex,
                                     bool* refusedHere) {
    if (imageIndex != 0) {
        // The keyboard holds one image; asking for another is our mistake, not the keyboard's.
        if (refusedHere != nullptr) {
            *refusedHere = true;
        }
        return kResultBadImageIndex;
    }
    const int32_t info = ReadInfoRecord();
    if (info != kResultSuccess) {
        return info;
    }
    const int keyCount = KeyCountOf(InfoRecord());
    std::vector<uint8_t> image;
    {
        std::lock_guard lock(m_stateMutex);
        // The image is composed over the one read at the start; without it (or with a keyboard
        // that now reports another key count) the slots nobody maps would be written blind.
        if (m_maps.keyCount == keyCount && !m_image.empty()) {
            image = ComposeKeyImage(m_image, m_maps, keys);
        }
    }
    const uint16_t length = ImageLengthOf(keyCount);
    if (image.empty() || length == 0 || Primary().SetImageLength(length) != kResultSuccess) {
        TraceFormat(
            "key image not written: the keyboard reports %d keys and no image of that "
            "size was read",
            keyCount);
        if (refusedHere != nullptr) {
            *refusedHere = true;
        }
        return kResultFailed;
    }
    return m_frame.SendBracketed(RefusedBegin::kEnd,
                                 [&] { return Primary().WriteKeyImage(image, imageIndex); });
}

uint32_t KeyboardDriver::RequestApplyProfile(KeyboardProfileImage image,
                                             KeyboardProfileWrite kind) {
    return RunFlow(
        [this, image = std::move(image), kind](DeviceDriver&) { return ProfileFlow(image, kind); });
}

int32_t KeyboardDriver::ProfileFlow(const KeyboardProfileImage& image, KeyboardProfileWrite kind) {
    const KeyboardSettingsBytes record =
        KeyboardSettingsRecord::Compose(0, image.light, image.system);
    const auto settings = [&](bool&) { return WriteSettingsFlow(record, 0); };
    const auto macros = [&](bool&) { return MacroFlow(image.macros); };
    const auto keys = [&](bool& refusedHere) { return KeyImageFlow(image.keys, 0, &refusedHere); };
    std::vector<std::function<int32_t(bool&)>> blocks;
    if (kind == KeyboardProfileWrite::kSwitch) {
        blocks = {settings, macros, keys};
    } else {
        blocks = {keys, settings};
    }
    int32_t first = kResultSuccess;
    for (const auto& block : blocks) {
        bool refusedHere = false;
        const int32_t result = block(refusedHere);
        if (result != kResultSuccess && first == kResultSuccess) {
            first = result;
        }
        if (IsSilent(result) && !refusedHere) {
            break;
        }
    }
    return first;
}

KeyMaps KeyboardDriver::Maps() const {
    std::lock_guard lock(m_stateMutex);
    return m_maps;
}

int KeyboardDriver::KeyCount() const {
    std::lock_guard lock(m_stateMutex);
    return m_maps.keyCount;
}

std::optional<KeyboardSettingsReadBack> KeyboardDriver::LastRecord() const {
    std::lock_guard lock(m_stateMutex);
    return m_record;
}

void KeyboardDriver::ApplyLight(const LightSetting& light,
                                std::span<const CustomLightColor> customColors) {
    {
        std::lock_guard lock(m_stateMutex);
        m_lightSetting = light;
        m_customColors.assign(customColors.begin(), customColors.end());
    }
    if (!m_light.SetSetting(light, customColors) && light.effect == 17) {
        // Mode 17 shows the colours it started with: new colours need a fresh start.
        m_light.RestartEffect(customColors);
    }
}

bool KeyboardDriver::SubmitLightFrame() {
    const KeyMaps maps = Maps();
    std::array<uint8_t, kMaxKeySlots * 3> frame{};
    const std::size_t length = m_light.ComposeFrame(maps, frame);
    return SubmitFrame(std::span<const uint8_t>(frame.data(), length));
}

bool KeyboardDriver::IsRereadPending() const {
    return m_reader.IsRereadPending();
}

void KeyboardDriver::StartEventReader() {
    m_reader.Start();
}

void KeyboardDriver::StopEventReader() {
    m_reader.Stop();
}

void KeyboardDriver::OnKeyEvent(uint16_t code) {
    if (code == SecondaryEventReader::kSettingsChangedEvent) {
        Trace("接收到自动添加设备的同步信息要求");
        m_reader.ScheduleReread();
        return;
    }
    int event = 0;
    int slot = 0;
    if (code >= kKeyPressBase && code < kKeyPressBase + 0x100) {
        event = kPressed;
        slot = code - kKeyPressBase;
    } else if (code >= kKeyReleaseBase && code < kKeyReleaseBase + 0x100) {
        event = kReleased;
        slot = code - kKeyReleaseBase;
        Trace("11212");
    } else {
        return;
    }
    const int key = Maps().LogicalKeyAtSlot(slot);
    if (key >= 0) {
        m_light.React(key, event);
    }
}

}  // namespace quaro
