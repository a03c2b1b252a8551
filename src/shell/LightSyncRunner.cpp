#include "shell/LightSyncRunner.h"

#include "pages/CKestrovaUSBDevice.h"
#include "platform/Trace.h"
#include "shell/DevicePageSet.h"

#include <algorithm>

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

void LightSyncRunner::CollectSynchronised(std::vector<CKestrovaUSBDevice*>& pages) {
    m_pages.CopyPages(m_seen);
    pages.clear();
    for (CKestrovaUSBDevice* page : m_seen) {
        if (page->IsPrimaryConnected() && page->IsLightSync()) {
            pages.push_back(page);
        }
    }
}

bool LightSyncRunner::AnySynchronised() {
    std::vector<CKestrovaUSBDevice*> pages;
    CollectSynchronised(pages);
    return !pages.empty();
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
    // The pages synchronised at the last turn and at this one (the thread's own).
    std::vector<CKestrovaUSBDevice*> before;
    std::vector<CKestrovaUSBDevice*> now;
    while (!stop.Wait(kTurnWaitMs)) {
        CollectSynchronised(now);
        // The light thread of a page the sync let go of sleeps while the sync drives it: it
        // must draw the page's own effect again.
        for (CKestrovaUSBDevice* page : before) {
            if (std::find(now.begin(), now.end(), page) == now.end()) {
                page->WakeLight();
            }
        }
        before.swap(now);
        if (before.empty()) {
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
