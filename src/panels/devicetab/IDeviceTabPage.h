#pragma once

namespace quaro {

class CDeviceOptionUI;

// The device page as its tab sees it. Pages sit in a layer above the panels, so the tab knows
// its page only through this: the tab's timers drive the page's periodic work (start after
// arrival, light frames every 5 ms while the colours move or are on their way, status polls every
// 5 s) and stop by themselves once the page reports its primary channel disconnected. Everything
// here runs on the UI thread and must return at once: RenderLightFrame composes the frame and hands
// it to the page's device worker, it never waits for the device; IsPrimaryConnected reads a flag
// that the device side may change at any time.
class IDeviceTabPage {
public:
    virtual ~IDeviceTabPage() = default;

    // Once per arrival, 500 ms after the tab's start timer was started.
    virtual void OnStart() = 0;
    virtual void RenderLightFrame() = 0;
    // Asked after each frame: whether the device already shows the colours and nothing moved
    // them since, so the frames may rest. A page that says yes calls its tab's ResumeFrames once
    // something moves them.
    virtual bool RestFrames() = 0;
    virtual void OnTimer1002() = 0;
    virtual void OnTimer1003() = 0;
    virtual void OnTimer1004() = 0;
    virtual void OnStatusTimer() = 0;

    virtual bool IsPrimaryConnected() const = 0;
    // Non-zero when the device reports battery and charge state.
    virtual int GetPowerMode() const = 0;
    // Whether the tab repaints the page's picture after a frame.
    virtual bool IsPreviewEnabled() const = 0;
    // Whether the picture changed since the last call (which clears the mark): the tab repaints
    // only a picture that shows something new, at most once per frame.
    virtual bool TakePreviewChanged() = 0;
    // The tab tells the page which tab it is when the page is attached to it.
    virtual void SetDeviceTab(CDeviceOptionUI* tab) = 0;
};

}  // namespace quaro
