#include "shell/LightSyncRunner.h"

#include "pages/CKestrovaUSBDevice.h"
#include "platform/Trace.h"
#include "shell/DevicePageSet.h"

namespace quaro {
namespace {

constexpr std::uint32_t kTurnWaitMs = 1;
constexpr std::uint32_t kIdleWaitMs = 1000;

}  // namespace

LightSyncRunner::LightSyncRunner(const DevicePageSet& pages, MillisecondClock clock)
    : m_pages(pages), m_clock(std::move(clock)) {}

void LightSyncRunner::Configure(SyncEffect effect, const LightSetting& setting) {
    std::lock_guard lock(m_mutex);
    m_sync.Configure(effect, setting);
}

SyncEffect LightSyncRunner::Effect() const {
    std::lock_guard lock(m_mutex);
    return m_sync.Effect();
}

bool LightSyncRunner::AnySynchronised() {
    m_pages.CopyPages(m_seen);
    for (const CKestrovaUSBDevice* page : m_seen) {
        if (page->IsPrimaryConnected() && page->IsLightSync()) {
            return true;
        }
    }
    return false;
}

void LightSyncRunner::Send(std::uint32_t packed) {
    m_pages.CopyPages(m_seen);
    for (CKestrovaUSBDevice* page : m_seen) {
        if (!page->IsLightSync()) {
            continue;
        }
        for (int light = 0; light < page->GetLightCount(); ++light) {
            page->SetLightColour(light, packed);
        }
    }
}

void LightSyncRunner::Run(StopEvent& stop) {
    {
        std::lock_guard lock(m_mutex);
        m_sync.Reset(m_clock());
    }
    while (!stop.Wait(kTurnWaitMs)) {
        if (!AnySynchronised()) {
            if (stop.Wait(kIdleWaitMs)) {
                break;
            }
            continue;
        }
        std::optional<std::uint32_t> colour;
        {
            std::lock_guard lock(m_mutex);
            colour = m_sync.Tick(m_clock());
        }
        if (colour) {
            Send(*colour);
        }
    }
    Trace("同步灯光线程设定退出");
}

}  // namespace quaro
