#pragma once

namespace quaro {

// What the main window asks of a device page whatever its kind. The pages implement it; the
// main window holds them in one list per kind.
class IDevicePage {
public:
    virtual ~IDevicePage() = default;
    virtual int GetDeviceKind() const = 0;
    // Whether this application drives the device's lights (1) or leaves them to the device.
    virtual void SetLightControl(int flag) = 0;
    // Whether the window is in front or under the pointer.
    virtual void SetForeground(int flag) = 0;
    // After a language switch: captions of the key assignment list.
    virtual void RefreshKeyAssignmentList() {}
};

}  // namespace quaro
