#include "TempDir.h"
#include "device/HidPath.h"
#include "device/SimBusLayout.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

SimInterfaceDescription Sample(const std::string& name) {
    SimInterfaceDescription description;
    description.name = name;
    description.vendorId = 0x0C45;
    description.productId = 0x7666;
    description.version = 0x0105;
    description.interfaceNumber = 1;
    description.reportDescriptor = {0x05, 0x0C, 0xA1, 0x01, 0xC0};
    description.product = "keyboard";
    return description;
}

TEST(SimBusLayoutTest, DescriptionsRoundTripAndListByName) {
    test::TempDir bus;
    ASSERT_TRUE(PublishSimDescription(bus.Path(), Sample("b-if1")));
    ASSERT_TRUE(PublishSimDescription(bus.Path(), Sample("a-if0")));
    test::WriteFileBytes(bus / "broken.json", "{ \"vendorId\": ");
    const auto listed = ListSimInterfaces(bus.Path());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].name, "a-if0");
    EXPECT_EQ(listed[1].name, "b-if1");
    EXPECT_EQ(listed[1].reportDescriptor, Sample("x").reportDescriptor);
    EXPECT_EQ(listed[1].version, 0x0105);
    EXPECT_TRUE(ListSimInterfaces(bus / "missing").empty());
}

TEST(SimBusLayoutTest, MalformedDescriptionsAreRefused) {
    const std::string good = FormatSimDescription(Sample("x"));
    ASSERT_TRUE(ParseSimDescription("x", good).has_value());
    const std::vector<std::string> bad = {
        "",
        "[]",
        R"({"vendorId": 70000, "productId": 1, "version": 1, "interfaceNumber": 0,
            "reportDescriptor": ""})",
        R"({"vendorId": -1, "productId": 1, "version": 1, "interfaceNumber": 0,
            "reportDescriptor": ""})",
        R"({"vendorId": 1, "productId": 1, "version": 1, "interfaceNumber": 0,
            "reportDescriptor": "abc"})",
        R"({"vendorId": 1, "productId": 1, "version": 1, "interfaceNumber": 0,
            "reportDescriptor": "zz"})",
        R"({"vendorId": 1, "productId": 1, "version": 1, "reportDescriptor": ""})",
        R"({"vendorId": 18446744073709551615, "productId": 1, "version": 1,
            "interfaceNumber": 0, "reportDescriptor": ""})",
        R"({"vendorId": 1.5, "productId": 1, "version": 1, "interfaceNumber": 0,
            "reportDescriptor": ""})",
        R"({"vendorId": "1", "productId": 1, "version": 1, "interfaceNumber": 0,
            "reportDescriptor": ""})",
    };
    for (const std::string& text : bad) {
        EXPECT_FALSE(ParseSimDescription("x", text).has_value()) << text;
    }
    // Nesting past the JSON reader's stack limit makes it throw; that must read as malformed.
    EXPECT_FALSE(ParseSimDescription("x", std::string(5000, '[')).has_value());
}

TEST(SimBusLayoutTest, PathsCarryTheKeysTheCatalogueParses) {
    EXPECT_EQ(MakeHidPath("hidraw", "/dev/hidraw3", 0x0C45, 0x7666, 1, 4),
              "hidraw:/dev/hidraw3#vid_0c45&pid_7666&mi_01&col04");
    EXPECT_EQ(MakeHidPath("sim", "/run/x.sock", 0x0D8C, 0x01DA, 3, 0),
              "sim:/run/x.sock#vid_0d8c&pid_01da&mi_03");
    EXPECT_EQ(HidPathNode("sim:/run/a#b.sock#vid_0001", "sim"), "/run/a#b.sock");
    EXPECT_EQ(HidPathNode("hidraw:/dev/hidraw3#vid_0001", "sim"), "");
    EXPECT_EQ(HidPathNode("sim:#vid_0001", "sim"), "");
    EXPECT_EQ(HidPathNode("sim:/run/x.sock", "sim"), "");
}

}  // namespace
}  // namespace quaro
