#include "Report.h"

#include <algorithm>
#include <cstdio>

namespace quaro {
namespace {

std::string ValueText(const Json::Value& value) {
    if (value.isNull()) {
        return "-";
    }
    if (value.isBool()) {
        return value.asBool() ? "yes" : "no";
    }
    if (value.isString()) {
        return value.asString();
    }
    if (value.isUInt64()) {
        return std::to_string(value.asLargestUInt());
    }
    if (value.isIntegral()) {
        return std::to_string(value.asLargestInt());
    }
    return value.toStyledString();
}

}  // namespace

void Report::Add(std::string name, Json::Value value, std::string display) {
    m_fields.push_back({std::move(name), std::move(value), std::move(display)});
}

void Report::SetTable(std::string name, std::vector<std::string> columns) {
    m_tableName = std::move(name);
    m_columns = std::move(columns);
    m_rows.clear();
}

void Report::AddRow(std::vector<Json::Value> values) {
    values.resize(m_columns.size());
    m_rows.push_back(std::move(values));
}

Json::Value Report::ToJson() const {
    Json::Value object(Json::objectValue);
    for (const Field& field : m_fields) {
        object[field.name] = field.value;
    }
    if (!m_tableName.empty()) {
        Json::Value rows(Json::arrayValue);
        for (const std::vector<Json::Value>& row : m_rows) {
            Json::Value item(Json::objectValue);
            for (std::size_t c = 0; c < m_columns.size(); ++c) {
                item[m_columns[c]] = row[c];
            }
            rows.append(item);
        }
        object[m_tableName] = rows;
    }
    return object;
}

std::string Report::ToText() const {
    std::string text;
    std::size_t width = 0;
    for (const Field& field : m_fields) {
        width = std::max(width, field.name.size());
    }
    for (const Field& field : m_fields) {
        text += field.name + ":" + std::string(width - field.name.size() + 1, ' ');
        text += field.display.empty() ? ValueText(field.value) : field.display;
        text += '\n';
    }
    if (m_tableName.empty()) {
        return text;
    }
    text += m_tableName + ":\n";
    std::vector<std::vector<std::string>> cells;
    std::vector<std::size_t> widths;
    for (const std::string& column : m_columns) {
        widths.push_back(column.size());
    }
    for (const std::vector<Json::Value>& row : m_rows) {
        std::vector<std::string> line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line.push_back(ValueText(row[c]));
            widths[c] = std::max(widths[c], line.back().size());
        }
        cells.push_back(std::move(line));
    }
    auto appendLine = [&](const std::vector<std::string>& line) {
        std::string out = " ";
        for (std::size_t c = 0; c < line.size(); ++c) {
            out += ' ' + line[c];
            if (c + 1 < line.size()) {
                out += std::string(widths[c] - line[c].size() + 1, ' ');
            }
        }
        text += out + '\n';
    };
    appendLine(m_columns);
    for (const std::vector<std::string>& line : cells) {
        appendLine(line);
    }
    return text;
}

std::string HexBytes(const unsigned char* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        if (i > 0) {
            text += ' ';
        }
        text += digits;
    }
    return text;
}

}  // namespace quaro
