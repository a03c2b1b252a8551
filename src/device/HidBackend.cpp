#include "device/HidBackend.h"

#include "device/HidrawBackend.h"
#include "device/SimBusLayout.h"
#include "device/SimHidBackend.h"

#include <cerrno>

namespace quaro {

CompositeHidBackend::CompositeHidBackend(std::vector<std::shared_ptr<HidBackend>> backends)
    : m_backends(std::move(backends)) {}

bool CompositeHidBackend::Enumerate(std::vector<std::string>& paths) {
    bool ok = true;
    for (const auto& backend : m_backends) {
        ok = backend->Enumerate(paths) && ok;
    }
    return ok;
}

bool CompositeHidBackend::Handles(const std::string& path) const {
    for (const auto& backend : m_backends) {
        if (backend->Handles(path)) {
            return true;
        }
    }
    return false;
}

std::optional<HidOpenedInterface> CompositeHidBackend::Open(const std::string& path,
                                                            const HidOpenMode& mode) {
    for (const auto& backend : m_backends) {
        if (backend->Handles(path)) {
            return backend->Open(path, mode);
        }
    }
    errno = ENOENT;
    return std::nullopt;
}

std::string CompositeHidBackend::Identity(const std::string& path) {
    for (const auto& backend : m_backends) {
        if (backend->Handles(path)) {
            return backend->Identity(path);
        }
    }
    return {};
}

std::shared_ptr<HidBackend> MakeDefaultHidBackend() {
    return std::make_shared<CompositeHidBackend>(std::vector<std::shared_ptr<HidBackend>>{
        std::make_shared<HidrawBackend>(), std::make_shared<SimHidBackend>(DefaultSimBusFolder())});
}

}  // namespace quaro
