#pragma once

#include <json/value.h>

#include <string>
#include <vector>

namespace quaro {

// One record read from a device, in the order it is shown: named values, then at most one table
// of rows. The same names are the JSON members and the labels of the text form, so what a script
// reads from --json is what a person sees.
class Report {
public:
    explicit Report(std::string name) : m_name(std::move(name)) {}

    // display is the text form when it should say more than the value (a name after a number).
    void Add(std::string name, Json::Value value, std::string display = {});
    void SetTable(std::string name, std::vector<std::string> columns);
    // One value per column.
    void AddRow(std::vector<Json::Value> values);

    const std::string& Name() const { return m_name; }
    // An object of the values, with the table as an array of objects.
    Json::Value ToJson() const;
    // "name: value" lines, then the table with a header line.
    std::string ToText() const;

private:
    struct Field {
        std::string name;
        Json::Value value;
        std::string display;
    };

    std::string m_name;
    std::vector<Field> m_fields;
    std::string m_tableName;
    std::vector<std::string> m_columns;
    std::vector<std::vector<Json::Value>> m_rows;
};

// Bytes as two-digit hexadecimal numbers separated by spaces ("04 01 00").
std::string HexBytes(const unsigned char* bytes, std::size_t count);

}  // namespace quaro
