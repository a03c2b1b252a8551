#include "TempDir.h"
#include "device/CatalogueTables.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quaro {
namespace {

using DeviceId = std::pair<uint16_t, uint16_t>;

struct Rule {
    std::string line;
    DeviceId id;
};

// The value of key=="xxxx" in line when it is four lower-case hexadecimal digits (udev compares
// the attribute as text, and the kernel writes it so); 0 otherwise.
uint16_t MatchId(const std::string& line, const std::string& key) {
    const std::string prefix = key + "==\"";
    const std::size_t at = line.find(prefix);
    if (at == std::string::npos) {
        return 0;
    }
    const std::string value = line.substr(at + prefix.size(), 5);
    if (value.size() != 5 || value[4] != '"' ||
        value.substr(0, 4).find_first_not_of("0123456789abcdef") != std::string::npos) {
        return 0;
    }
    return static_cast<uint16_t>(std::stoul(value.substr(0, 4), nullptr, 16));
}

// The rules of the file, one per line that is neither blank nor a comment.
std::vector<Rule> ReadRules() {
    std::istringstream in(test::ReadFileBytes(QUARO_SOURCE_DIR "/packaging/udev/70-quaro.rules"));
    std::vector<Rule> rules;
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        const DeviceId id{MatchId(line, "ATTRS{idVendor}"), MatchId(line, "ATTRS{idProduct}")};
        EXPECT_TRUE(id.first != 0 && id.second != 0)
            << "no four-digit lower-case vendor and product: " << line;
        rules.push_back({line, id});
    }
    return rules;
}

TEST(UdevRules, EveryCataloguedDeviceHasARuleAndNothingElseDoes) {
    std::set<DeviceId> catalogued;
    for (const DeviceInterfaceEntry& row : kInterfaceCatalogue) {
        // Rows without vendor and product never match a real device.
        if (row.vendorId != 0 && row.productId != 0) {
            catalogued.insert({row.vendorId, row.productId});
        }
    }
    ASSERT_FALSE(catalogued.empty());
    std::set<DeviceId> ruled;
    for (const Rule& rule : ReadRules()) {
        EXPECT_TRUE(ruled.insert(rule.id).second) << "a second rule for " << rule.line;
    }
    EXPECT_EQ(ruled, catalogued);
}

TEST(UdevRules, EachGivesTheSeatsUserItsHidrawNodesOnly) {
    const std::vector<Rule> rules = ReadRules();
    ASSERT_FALSE(rules.empty());
    for (const Rule& rule : rules) {
        EXPECT_NE(rule.line.find(R"(KERNEL=="hidraw*")"), std::string::npos) << rule.line;
        EXPECT_NE(rule.line.find(R"(SUBSYSTEM=="hidraw")"), std::string::npos) << rule.line;
        EXPECT_NE(rule.line.find(R"(TAG+="uaccess")"), std::string::npos) << rule.line;
        // Access goes to the user at the seat, never to everyone.
        EXPECT_EQ(rule.line.find("MODE"), std::string::npos) << rule.line;
    }
}

}  // namespace
}  // namespace quaro
