#include "device/HidPath.h"

#include <cstdio>

namespace quaro {

std::string MakeHidPath(std::string_view scheme, std::string_view node, uint16_t vendorId,
                        uint16_t productId, uint16_t interfaceNumber, uint16_t collection) {
    char keys[64];
    std::snprintf(keys, sizeof keys, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId,
                  interfaceNumber);
    std::string path;
    path.append(scheme).append(":").append(node).append(keys);
    if (collection != 0) {
        char col[16];
        std::snprintf(col, sizeof col, "&col%02x", collection);
        path.append(col);
    }
    return path;
}

std::string HidPathNode(std::string_view path, std::string_view scheme) {
    if (path.size() <= scheme.size() || path.substr(0, scheme.size()) != scheme ||
        path[scheme.size()] != ':') {
        return {};
    }
    const size_t hash = path.rfind('#');
    if (hash == std::string_view::npos || hash <= scheme.size() + 1) {
        return {};
    }
    return std::string(path.substr(scheme.size() + 1, hash - scheme.size() - 1));
}

}  // namespace quaro
