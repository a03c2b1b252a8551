#pragma once

#include "device/HidBackend.h"

#include <filesystem>

namespace quaro {

// HID interfaces served by device emulators on the simulated bus (see SimBusLayout.h). Paths
// are "sim:<socket path>#vid_...&pid_...&mi_..[&col..]".
class SimHidBackend : public HidBackend {
public:
    static constexpr const char* kScheme = "sim";

    explicit SimHidBackend(std::filesystem::path folder);

    bool Enumerate(std::vector<std::string>& paths) override;
    bool Handles(const std::string& path) const override;
    std::optional<HidOpenedInterface> Open(const std::string& path,
                                           const HidOpenMode& mode) override;
    std::string Identity(const std::string& path) override;

    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
};

}  // namespace quaro
