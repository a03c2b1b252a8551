#include "device/SimHidBackend.h"

#include "device/HidPath.h"
#include "device/ReportDescriptor.h"
#include "device/SimBusLayout.h"
#include "platform/FileText.h"
#include "platform/Trace.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace quaro {
namespace {

// Each plug creates the socket file anew, so its inode and change time name the plug; a
// device taking over the name gets another text.
std::string SocketFileIdentity(const std::filesystem::path& socketPath) {
    struct stat status {};
    if (::stat(socketPath.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) {
        return {};
    }
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino) + ":" +
           std::to_string(status.st_ctim.tv_sec) + "." + std::to_string(status.st_ctim.tv_nsec);
}

// A connected socket to the interface, or an invalid one with errno set.
UniqueFd ConnectTo(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string node = socketPath.string();
    if (node.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return UniqueFd();
    }
    std::memcpy(address.sun_path, node.c_str(), node.size() + 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.Valid()) {
        return fd;
    }
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ECONNREFUSED) {
            errno = ENOENT;  // a socket file left behind by an emulator that has stopped
        }
        return UniqueFd();
    }
    return fd;
}

}  // namespace

SimHidBackend::SimHidBackend(std::filesystem::path folder) : m_folder(std::move(folder)) {}

bool SimHidBackend::Enumerate(std::vector<std::string>& paths) {
    for (const SimInterfaceDescription& description : ListSimInterfaces(m_folder)) {
        const std::filesystem::path socket = m_folder / (description.name + kSimSocketSuffix);
        std::error_code error;
        if (!std::filesystem::is_socket(socket, error)) {
            continue;  // unplugged while its description was being read
        }
        const DescriptorResult parsed = ParseReportDescriptor(description.reportDescriptor);
        if (!parsed.descriptor) {
            TraceFormat("simulated HID interface %s: report descriptor refused (%s)",
                        description.name.c_str(), parsed.error.c_str());
            continue;
        }
        const size_t collections = parsed.descriptor->collections.size();
        for (size_t i = 0; i < collections; ++i) {
            paths.push_back(MakeHidPath(kScheme, socket.string(), description.vendorId,
                                        description.productId, description.interfaceNumber,
                                        collections > 1 ? static_cast<uint16_t>(i + 1) : 0));
        }
    }
    return true;
}

bool SimHidBackend::Handles(const std::string& path) const {
    return !HidPathNode(path, kScheme).empty();
}

std::optional<HidOpenedInterface> SimHidBackend::Open(const std::string& path,
                                                      const HidOpenMode& /*mode*/) {
    const std::filesystem::path socketPath = HidPathNode(path, kScheme);
    if (socketPath.empty()) {
        errno = EINVAL;
        return std::nullopt;
    }
    const std::filesystem::path descriptionPath =
        socketPath.parent_path() / (socketPath.stem().string() + kSimDescriptionSuffix);
    const std::optional<std::string> text = ReadSmallFile(descriptionPath);
    if (!text) {
        errno = ENOENT;
        return std::nullopt;
    }
    std::optional<SimInterfaceDescription> description =
        ParseSimDescription(socketPath.stem().string(), *text);
    if (!description) {
        errno = EPROTO;
        return std::nullopt;
    }

    std::string identity = SocketFileIdentity(socketPath);
    UniqueFd fd = ConnectTo(socketPath);
    if (!fd.Valid()) {
        return std::nullopt;
    }
    HidOpenedInterface opened;
    opened.fd = std::move(fd);
    opened.reportDescriptor = std::move(description->reportDescriptor);
    opened.attributes = {description->vendorId, description->productId, description->version};
    opened.interfaceNumber = description->interfaceNumber;
    opened.readsOmitUnnumberedId = false;
    opened.identity = std::move(identity);
    return opened;
}

std::string SimHidBackend::Identity(const std::string& path) {
    const std::filesystem::path socketPath = HidPathNode(path, kScheme);
    if (socketPath.empty()) {
        return {};
    }
    std::string identity = SocketFileIdentity(socketPath);
    std::error_code error;
    const std::filesystem::path descriptionPath =
        socketPath.parent_path() / (socketPath.stem().string() + kSimDescriptionSuffix);
    if (identity.empty() || !std::filesystem::exists(descriptionPath, error)) {
        return {};
    }
    // A killed emulator leaves its files behind; only a listening socket is a device.
    if (!ConnectTo(socketPath).Valid()) {
        return {};
    }
    return identity;
}

}  // namespace quaro
