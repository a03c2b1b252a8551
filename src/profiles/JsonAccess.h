#pragma once

#include <json/value.h>

#include <string>

namespace quaro {

// Every stored document may have been edited by hand. JsonCpp's accessors throw (or assert) when
// a value has another type than the one asked for; these never do. A member of the wrong type
// reads as absent, so it yields zero, false, empty text or a null value.

// The member of an object, or null when object is not an object or lacks it.
const Json::Value& MemberOf(const Json::Value& object, const char* name);

// The element of an array, or null when array is not an array or is shorter.
const Json::Value& ElementOf(const Json::Value& array, Json::ArrayIndex index);

// The member when it is an object (or array) of its own, else null.
const Json::Value& ObjectMemberOf(const Json::Value& object, const char* name);
const Json::Value& ArrayMemberOf(const Json::Value& object, const char* name);

// Numbers as 32-bit integers (wider ones keep their low 32 bits, fractions are cut, booleans
// are 0 or 1); anything else is 0.
int ReadInt(const Json::Value& value);

// Booleans as they are; any non-zero number is true; anything else is false.
bool ReadBool(const Json::Value& value);

// Strings as they are; anything else is empty.
std::string ReadString(const Json::Value& value);

int IntMember(const Json::Value& object, const char* name);
bool BoolMember(const Json::Value& object, const char* name);
std::string StringMember(const Json::Value& object, const char* name);

// For writing: the member (or element) to assign to. A value of another type standing where an
// object (or array) is needed is replaced by an empty one first.
Json::Value& WritableMember(Json::Value& object, const char* name);
Json::Value& WritableElement(Json::Value& array, Json::ArrayIndex index);

}  // namespace quaro
