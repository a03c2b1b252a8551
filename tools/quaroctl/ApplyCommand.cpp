#include "ApplyCommand.h"

#include "DeviceSession.h"
#include "device/Catalogue.h"
#include "device/CatalogueTables.h"
#include "devices/keyboard/KeyboardDriver.h"
#include "devices/keyboard/KeyboardProfileSource.h"
#include "devices/pad/PadDriver.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/MacroLibrary.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace quaro {
namespace {

// Every flow is answered exactly once and a silent device costs one reply time-out per flow, so
// this bound is only a guard against a driver that never answers.
constexpr std::chrono::seconds kFlowGuard{60};

// Turns the driver's answers on its worker into results the command waits for.
template <typename SinkBase>
class FlowWaiter : public SinkBase {
public:
    void OnFlowDone(std::uint32_t flowId, std::int32_t result) override {
        {
            std::lock_guard lock(m_mutex);
            m_results[flowId] = result;
        }
        m_done.notify_all();
    }
    void OnStatusRead(const StatusBytes&) override {}

    // The flow's result; 0 when it did not end within the guard.
    std::int32_t Wait(std::uint32_t flowId) {
        std::unique_lock lock(m_mutex);
        if (!m_done.wait_for(lock, kFlowGuard, [&] { return m_results.count(flowId) != 0; })) {
            return 0;
        }
        return m_results[flowId];
    }

protected:
    std::mutex m_mutex;

private:
    std::condition_variable m_done;
    std::map<std::uint32_t, std::int32_t> m_results;
};

class KeyboardWaiter : public FlowWaiter<KeyboardDriverSink> {
public:
    void OnKeyboardStartRead(const KeyboardStartRead& read) override {
        std::lock_guard lock(m_mutex);
        m_imageRead = read.imageRead;
        m_keyCount = read.keyCount;
    }
    void OnMacroDownload(const KeyboardMacroDownload& download) override {
        std::lock_guard lock(m_mutex);
        m_macroFigure = download.figure;
    }
    void OnSettingsRecordRead(const KeyboardRecordRead&) override {}

    bool ImageRead() {
        std::lock_guard lock(m_mutex);
        return m_imageRead;
    }
    int KeyCount() {
        std::lock_guard lock(m_mutex);
        return m_keyCount;
    }
    int MacroFigure() {
        std::lock_guard lock(m_mutex);
        return m_macroFigure;
    }

private:
    bool m_imageRead = false;
    int m_keyCount = 0;
    int m_macroFigure = 0;
};

class PadWaiter : public FlowWaiter<PadDriverSink> {
public:
    void OnPadRecordRead(const PadRecordRead&) override {}
};

bool Connect(DeviceDriver& driver, const std::string& path, uint16_t kind, ApplyOutcome& outcome) {
    DeviceInterfaceEntry entry = EntryFromPath(path);
    entry.kind = kind;
    entry.role = kRolePrimary;
    driver.SetDeviceRecord(entry);
    driver.Start();
    if (!driver.Connect(path)) {
        outcome.failure = path + ": the device cannot be opened";
        return false;
    }
    return true;
}

ApplyOutcome ApplyKeyboard(std::shared_ptr<HidBackend> backend, const std::string& path,
                           const ProfileSource& source) {
    ApplyOutcome outcome;
    CKeyboardProfiledata profile;
    profile.SetDefaultProfilePath(source.defaultProfile);
    profile.SetProfilePath(source.profile);
    profile.Load(source.profile);
    const KeyboardProfileImage image =
        ComposeKeyboardProfileImage(profile, MacroLibrary(source.userFolder));

    KeyboardWaiter waiter;
    KeyboardDriver driver(std::move(backend), &waiter);
    if (!Connect(driver, path, kKindKeyboard, outcome)) {
        return outcome;
    }
    // The key image is composed over the one the keyboard holds, so it is read first. A
    // keyboard whose image is too large for the channel still takes its settings and macros.
    const int32_t started = waiter.Wait(driver.RequestStart());
    if (started != 1 && waiter.KeyCount() == 0) {
        outcome.failure = "reading the keyboard failed: " + ResultText(started);
        return outcome;
    }
    const int32_t applied =
        waiter.Wait(driver.RequestApplyProfile(image, KeyboardProfileWrite::kSwitch));
    outcome.macroFigure = waiter.MacroFigure();
    outcome.keysWritten = waiter.ImageRead();
    outcome.applied = applied == 1;
    if (!outcome.applied) {
        outcome.failure = "writing the profile failed: " + ResultText(applied);
    }
    return outcome;
}

ApplyOutcome ApplyPad(std::shared_ptr<HidBackend> backend, const std::string& path,
                      const ProfileSource& source) {
    ApplyOutcome outcome;
    CBasicProfiledata profile;
    profile.SetDefaultProfilePath(source.defaultProfile);
    profile.SetProfilePath(source.profile);
    profile.Load(source.profile);

    PadWaiter waiter;
    PadDriver driver(std::move(backend), &waiter);
    if (!Connect(driver, path, kKindMousePad, outcome)) {
        return outcome;
    }
    // Only the light fields come from the profile; the rest of the record is written back as
    // the pad holds it, so it must be read whole first.
    if (const int32_t read = waiter.Wait(driver.RequestRead()); read != 1) {
        outcome.failure = "reading the mouse pad's record failed: " + ResultText(read);
        return outcome;
    }
    driver.ApplyLight(profile.GetLightInfo());
    const int32_t written = waiter.Wait(driver.RequestWrite());
    outcome.applied = written == 1;
    if (!outcome.applied) {
        outcome.failure = "writing the record failed: " + ResultText(written);
    }
    return outcome;
}

}  // namespace

bool CanApplyProfiles(uint16_t kind) {
    return kind == kKindKeyboard || kind == kKindMousePad;
}

ApplyOutcome ApplyProfileToDevice(std::shared_ptr<HidBackend> backend, const std::string& path,
                                  uint16_t kind, const ProfileSource& source) {
    if (kind == kKindKeyboard) {
        return ApplyKeyboard(std::move(backend), path, source);
    }
    if (kind == kKindMousePad) {
        return ApplyPad(std::move(backend), path, source);
    }
    ApplyOutcome outcome;
    outcome.failure = "profiles of this kind cannot be applied from the command line";
    return outcome;
}

}  // namespace quaro
