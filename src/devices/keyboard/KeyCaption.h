#pragma once

#include "profiles/KeyCode.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// Language ids naming an assignment, in display order; more than one id for a keyboard
// combination ("LCtrl" and "A" for 20 01 04). Empty when the code has no caption of its own
// (macros and gun keys are named from their libraries by the page).
std::vector<std::string_view> KeyCodeCaptionIds(KeyCode code);

// The caption as shown: each id resolved by translate, joined by "+".
std::string KeyCodeCaption(KeyCode code,
                           const std::function<std::string(std::string_view)>& translate);

// Language id of a logical key's own name (from its factory code); empty outside 0-125.
std::string_view LogicalKeyCaptionId(int logicalKey);

}  // namespace quaro
