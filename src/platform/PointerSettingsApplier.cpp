#include "platform/PointerSettingsApplier.h"

#include "platform/Trace.h"

namespace quaro {
namespace {

const char* Outcome(SettingApplied result) {
    switch (result) {
        case SettingApplied::kApplied:
            return "applied";
        case SettingApplied::kNotApplied:
            return "not applied";
        case SettingApplied::kFailed:
            return "failed";
    }
    return "failed";
}

}  // namespace

PointerSettingsApplier::PointerSettingsApplier(SystemSettingsService& service, Applied applied)
    : m_service(service), m_applied(std::move(applied)) {
    // Started last, so the thread sees every member built.
    m_thread = std::thread([this] { Run(); });
}

PointerSettingsApplier::~PointerSettingsApplier() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void PointerSettingsApplier::Request(Setting setting, unsigned value) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting[static_cast<std::size_t>(setting)] = value;
    }
    m_wake.notify_one();
}

void PointerSettingsApplier::WaitIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] {
        if (m_busy) {
            return false;
        }
        for (const std::optional<unsigned>& value : m_waiting) {
            if (value) {
                return false;
            }
        }
        return true;
    });
}

const char* PointerSettingsApplier::Name(Setting setting) {
    switch (setting) {
        case Setting::kSpeed:
            return "pointer speed";
        case Setting::kPrecision:
            return "pointer precision";
        case Setting::kWheelLines:
            return "wheel lines";
        case Setting::kDoubleClick:
            return "double-click time";
    }
    return "pointer setting";
}

void PointerSettingsApplier::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::optional<std::size_t> next;
        for (std::size_t i = 0; i < m_waiting.size() && !next; ++i) {
            if (m_waiting[i]) {
                next = i;
            }
        }
        if (!next) {
            m_idle.notify_all();
            if (m_stopping) {
                return;
            }
            m_wake.wait(lock);
            continue;
        }
        const auto setting = static_cast<Setting>(*next);
        const unsigned value = *m_waiting[*next];
        m_waiting[*next].reset();
        m_busy = true;
        // The session is asked without the lock, so a request never waits for the desktop.
        lock.unlock();
        const SettingApplied result = Apply(setting, value);
        TraceFormat("%s %u: %s", Name(setting), value, Outcome(result));
        if (m_applied) {
            m_applied(setting, value, result);
        }
        lock.lock();
        m_busy = false;
    }
}

SettingApplied PointerSettingsApplier::Apply(Setting setting, unsigned value) {
    switch (setting) {
        case Setting::kSpeed:
            return m_service.SetPointerSpeed(value);
        case Setting::kPrecision:
            return m_service.SetPointerPrecision(value != 0);
        case Setting::kWheelLines:
            return m_service.SetWheelLines(value);
        case Setting::kDoubleClick:
            return m_service.SetDoubleClickTime(value);
    }
    return SettingApplied::kFailed;
}

}  // namespace quaro
