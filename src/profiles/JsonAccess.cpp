#include "profiles/JsonAccess.h"

#include <cmath>
#include <cstdint>

namespace quaro {

const Json::Value& MemberOf(const Json::Value& object, const char* name) {
    if (!object.isObject()) {
        return Json::Value::nullSingleton();
    }
    return object[name];
}

const Json::Value& ElementOf(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size()) {
        return Json::Value::nullSingleton();
    }
    return array[index];
}

const Json::Value& ObjectMemberOf(const Json::Value& object, const char* name) {
    const Json::Value& member = MemberOf(object, name);
    return member.isObject() ? member : Json::Value::nullSingleton();
}

const Json::Value& ArrayMemberOf(const Json::Value& object, const char* name) {
    const Json::Value& member = MemberOf(object, name);
    return member.isArray() ? member : Json::Value::nullSingleton();
}

int ReadInt(const Json::Value& value) {
    if (value.isBool()) {
        return value.asBool() ? 1 : 0;
    }
    if (value.isInt64()) {
        return static_cast<int>(static_cast<std::uint32_t>(value.asInt64()));
    }
    if (value.isUInt64()) {
        return static_cast<int>(static_cast<std::uint32_t>(value.asUInt64()));
    }
    if (value.isDouble()) {
        const double number = value.asDouble();
        // Beyond this range the conversion to an integer is undefined.
        if (std::isfinite(number) && std::fabs(number) < 9.0e18) {
            return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::int64_t>(number)));
        }
    }
    return 0;
}

bool ReadBool(const Json::Value& value) {
    if (value.isBool()) {
        return value.asBool();
    }
    if (value.isNumeric()) {
        return value.asDouble() != 0.0;
    }
    return false;
}

std::string ReadString(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

int IntMember(const Json::Value& object, const char* name) {
    return ReadInt(MemberOf(object, name));
}

bool BoolMember(const Json::Value& object, const char* name) {
    return ReadBool(MemberOf(object, name));
}

std::string StringMember(const Json::Value& object, const char* name) {
    return ReadString(MemberOf(object, name));
}

Json::Value& WritableMember(Json::Value& object, const char* name) {
    if (!object.isObject()) {
        object = Json::Value(Json::objectValue);
    }
    return object[name];
}

Json::Value& WritableElement(Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray()) {
        array = Json::Value(Json::arrayValue);
    }
    return array[index];
}

}  // namespace quaro
