#pragma once

#include "device/HidBackend.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace quaro {

// The files a stored profile is read from.
struct ProfileSource {
    std::filesystem::path profile;         // the selected profile's document
    std::filesystem::path defaultProfile;  // the factory profile a document lacking its entry takes
    std::filesystem::path userFolder;      // the kind's folder (the macro library lives there)
};

// What applying a profile to a device did.
struct ApplyOutcome {
    bool applied = false;
    std::string failure;  // one line, when not applied
    // Keyboard only: the macros did not fit (a positive figure of 4-byte units over the
    // memory, plus one) or could not be composed (-1); 0 when they went or none were due.
    int macroFigure = 0;
    bool keysWritten = true;  // false when the key image could not be composed
};

// Whether quaroctl can write this kind's profiles into the device.
bool CanApplyProfiles(uint16_t kind);

// Writes the stored profile into the device at path through the same driver the application's
// page uses: the keyboard is read as on arrival, then gets the settings record, the macros and
// the key image, each in its own exchange; the mouse pad's record is read and its light fields
// replaced and written back.
ApplyOutcome ApplyProfileToDevice(std::shared_ptr<HidBackend> backend, const std::string& path,
                                  uint16_t kind, const ProfileSource& source);

}  // namespace quaro
