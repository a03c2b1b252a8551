#pragma once

#include "devices/driver/DriverEventSink.h"
#include "devices/pad/PadDriverSink.h"
#include "profiles/ProfileRecords.h"

#include <QMetaObject>
#include <QObject>

#include <cstdint>
#include <functional>
#include <utility>

namespace quaro {

class CBasicProfiledata;
class CKestrovaUSBDevice;
class PadDriver;

// The sink a page hands its driver. The news every kind reports (a flow ended, a status read)
// goes to the page base, which posts it on itself; the kind's own news is posted to the page's
// thread with Post. The driver calls it on its worker and event reader, so nothing here touches
// a control.
template <typename SinkBase>
class PagePostingSink : public SinkBase {
public:
    // common is the page base's own sink; both outlive the driver (the page stops it first).
    PagePostingSink(QObject& page, DriverEventSink& common) : m_page(page), m_common(common) {}

    void OnFlowDone(std::uint32_t flowId, std::int32_t result) override {
        m_common.OnFlowDone(flowId, result);
    }
    void OnStatusRead(const StatusBytes& status) override { m_common.OnStatusRead(status); }

protected:
    // Runs call on the page's thread later; dropped when the page is gone by then.
    template <typename Call>
    void Post(Call call) {
        QMetaObject::invokeMethod(&m_page, std::move(call), Qt::QueuedConnection);
    }

private:
    QObject& m_page;
    DriverEventSink& m_common;
};

// What the lit pages (keyboard, mouse, pad, headset) do alike with their profile and their light
// panel: load the document the page names, make the profile's light the page's, fill and show
// the light panel, store the light and save; and, for the kinds that keep the pad's light record,
// take a record read again and write it back.
//
// Threads: the UI thread.
class LedPageHelper {
public:
    // Both outlive the helper (they are the page and its profile member).
    LedPageHelper(CKestrovaUSBDevice& page, CBasicProfiledata& profile)
        : m_page(page), m_profile(profile) {}

    // The document of the current profile (else the profile's own path), with the page's style,
    // its default document and the light library beside the user's profiles.
    void LoadProfileDocument();
    // The profile's light becomes the page's; returned for the driver.
    LightSetting TakeProfileLight();
    // The light panel's effects: the built-in names of the kind and, with customNames, the
    // light library's. Nothing without a light panel.
    void FillLightEffects(int brightnessMax, int speedMax, bool customNames = true);
    // The page's light on its light panel, if it has one.
    void ShowLight();
    // The page's light into the profile.
    void StoreLight();
    // Saves the document; a failure is traced with failureText and leaves the document as is.
    bool Save(const char* failureText);

    // The page's start: the driver's start exchange when the device is there, then the
    // profile, the panels and the light thread (once).
    template <typename Driver>
    void Start(Driver* driver);

    // Of the kinds with the pad's record: a record read whole becomes the page's light as far
    // as it carries one; when the device's own change caused the read, it is saved, shown and
    // the owner window hears notice with the record number.
    void TakeRecordRead(const PadRecordRead& read, unsigned notice);
    // Queues the record write (record number, always 0 from the window); 0 without a driver or
    // a device to take it.
    int WriteRecord(PadDriver* driver, std::int32_t recordNumber);

private:
    // The page's own, for the templates above (the page is only declared here).
    bool PrimaryConnected() const;
    // What the light thread calls after a pass that may have moved the colours.
    std::function<void()> LightDrawn() const;
    void LoadAndRefresh();

    CKestrovaUSBDevice& m_page;
    CBasicProfiledata& m_profile;
};

template <typename Driver>
void LedPageHelper::Start(Driver* driver) {
    if (driver == nullptr) {
        return;
    }
    if (PrimaryConnected()) {
        driver->RequestStart();
    }
    LoadAndRefresh();
    if (!driver->Light().IsRunning()) {
        driver->Light().Start(LightDrawn());
    }
}

}  // namespace quaro
