#include "JsonOutput.h"

#include <json/writer.h>

namespace quaro {

void WriteJson(const Json::Value& document, std::ostream& out) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    out << Json::writeString(builder, document) << '\n';
}

}  // namespace quaro
