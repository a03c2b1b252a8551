#include "devices/StatusRecord.h"

namespace quaro {

StatusRecord StatusRecord::Parse(std::span<const std::uint8_t> record, bool slowLink) {
    auto at = [&](std::size_t index) -> std::uint8_t {
        return index < record.size() ? record[index] : std::uint8_t{0};
    };
    StatusRecord status;
    status.batteryLevel = at(0);
    status.chargeState = at(1);
    status.wireless = slowLink ? 1 : 0;
    status.notice = at(4);
    status.phoneType = at(5);
    return status;
}

}  // namespace quaro
