#include "ui/SkinChange.h"

namespace quaro {

SkinChangeObserver& GetSkinChangeObserver() {
    static SkinChangeObserver observer;
    return observer;
}

}  // namespace quaro
