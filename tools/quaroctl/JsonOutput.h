#pragma once

#include <json/value.h>

#include <ostream>

namespace quaro {

// One JSON document on its own lines, indented, as every --json output prints it.
void WriteJson(const Json::Value& document, std::ostream& out);

}  // namespace quaro
