#pragma once

// The audio library's entry points as the headset page loads them by name from
// SDK/libosConfLib.so. C linkage, so the names are the plain ones; every call returns 0 on
// success.

#include <stdint.h>
#include <uchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#define OSCONF_EXPORT __attribute__((visibility("default")))

// 16 bytes, passed by value to PropertyControl.
typedef struct OsConfDevice {
    uint32_t handle;  // the library's own number for the device
    uint32_t type;    // 1 headphones (flow 0), 2 microphone (flow 1)
    int32_t card;     // ALSA card number; -1 for the simulated headset
    uint32_t state;   // 1 = active
} OsConfDevice;

// Flows: 0 playback, 1 capture.
enum { kOsConfFlowPlayback = 0, kOsConfFlowCapture = 1 };
enum { kOsConfGet = 0, kOsConfSet = 1 };
// A get fills at most this many bytes of the value buffer.
enum { kOsConfValueBytes = 1024 };

// Results other than 0.
enum {
    kOsConfBadArgument = -1,      // null pointer, flow or index out of range, a value out of range
    kOsConfUnknownProperty = -2,  // not a property of that device, or a get of a set-only one
    kOsConfUnknownDevice = -3,    // a record that is not in the current list
    kOsConfNoValue = -4,          // a kept property that was never set
    kOsConfDeviceError = -5,      // the sound card refused or is gone
    kOsConfNotInitialised = -6,
};

OSCONF_EXPORT int ConfLibInit(void);
OSCONF_EXPORT int CreateDeviceList(void);
OSCONF_EXPORT int GetDeviceCount(int flow, int* count);
OSCONF_EXPORT int GetDeviceById(int flow, int index, OsConfDevice* device);
// name: NUL-terminated UTF-16. value: kOsConfValueBytes bytes. second: optional; its contents
// are not used. set: kOsConfSet or kOsConfGet.
OSCONF_EXPORT int PropertyControl(OsConfDevice device, const char16_t* name, void* value,
                                  void* second, int set);

#ifdef __cplusplus
}
#endif
