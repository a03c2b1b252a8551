#include "platform/KeyScanTable.h"

namespace quaro {

int FindKeyScanRowByLinuxKey(unsigned linuxKey) {
    for (int row = 0; row < kKeyScanRowCount; ++row) {
        if (kKeyScanTable[row].linuxKey == linuxKey) {
            return row;
        }
    }
    return -1;
}

int FindKeyScanRow(std::uint8_t scanCode, bool extended) {
    for (int row = 0; row < kKeyScanRowCount; ++row) {
        if (kKeyScanTable[row].scanCode == scanCode && kKeyScanTable[row].extended == extended) {
            return row;
        }
    }
    return -1;
}

}  // namespace quaro
