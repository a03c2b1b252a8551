// The power widget: battery level, charge state, wireless mark and phone type from a status
// record, and its tolerance of records and layouts that fall short.

#include "DeviceTabFixture.h"
#include "ui/toolkit/CLabelUI.h"

#include <QFile>

#include <array>

namespace quaro {
namespace {

using test::DeviceTabWindow;

class PowerWidget : public DeviceTabWindow {
protected:
    PowerWidget() {
        m_power = BuildInto<CMpDevicePowerUI>("XML/CustomControlXML/MpDevicePower.xml",
                                              "device_power_switch");
    }

    CControlUI* Find(const char* name) { return m_window.FindControl(QLatin1String(name)); }
    CProgressUI* Progress() {
        return m_window.FindControlAs<CProgressUI>(QStringLiteral("device_Power_progress"));
    }
    QString Value() { return Find("device_power_value")->GetShownText(); }
    QString StatusImage() { return Find("device_power_status")->GetBkImage(); }
    QString PhoneImage() { return Find("device_phone_type")->GetBkImage(); }

    void Show(std::initializer_list<std::uint8_t> bytes) {
        const std::vector<std::uint8_t> record(bytes);
        m_power->ShowStatus(record);
    }

    CMpDevicePowerUI* m_power = nullptr;
};

TEST_F(PowerWidget, FragmentHoldsEveryControlAndEveryPictureExists) {
    ASSERT_NE(m_power, nullptr);
    EXPECT_EQ(m_power->GetClass(), u"MpDevicePower");
    for (const char* name : {"device_power_Layout", "device_power_value", "device_wuxian_logo",
                             "device_power_status", "device_phone_type"}) {
        EXPECT_NE(Find(name), nullptr) << name;
    }
    EXPECT_NE(Progress(), nullptr);
    for (const char* file :
         {"power/powered.png", "power/powering.png", "power/wuxian_powering.png", "power/power.png",
          "power/Phone_type_iphone.png", "power/Phone_type_samsung.png",
          "power/Phone_type_other.png", "power/Phone_type_no_device.png", "power/battery.png",
          "power/wuxian_logo.png"}) {
        EXPECT_FALSE(m_resources.GetImage(QLatin1String(file)).isNull()) << file;
    }
}

TEST_F(PowerWidget, PadChargingWirelesslyWithASamsungPhone) {
    ASSERT_NE(m_power, nullptr);
    m_power->SetKind(3, 0);
    Show({55, 1, 0, 1, 0, 2});
    EXPECT_EQ(Value(), u"55%");
    EXPECT_EQ(Progress()->GetValue(), 45);
    EXPECT_TRUE(Progress()->isHidden());
    EXPECT_EQ(StatusImage(), u"file='power/wuxian_powering.png'");
    EXPECT_EQ(PhoneImage(), u"file='power/Phone_type_samsung.png'");
    EXPECT_EQ(Find("device_phone_type")->GetToolTip(), u"Phone_type_samsung");
    // Only a mouse shows the wireless mark.
    EXPECT_TRUE(Find("device_wuxian_logo")->GetWidget()->isHidden());
}

TEST_F(PowerWidget, HeadsetShowsLevelAndChargingButLeavesThePhoneAlone) {
    ASSERT_NE(m_power, nullptr);
    m_power->SetKind(7, 0);
    const QString before = PhoneImage();
    Show({55, 1, 0, 1, 0, 2});
    EXPECT_EQ(Value(), u"55%");
    EXPECT_EQ(StatusImage(), u"file='power/wuxian_powering.png'");
    EXPECT_EQ(PhoneImage(), before);
    EXPECT_EQ(Find("device_phone_type")->GetToolTip(), u"Phone_type_no_device");
}

TEST_F(PowerWidget, ChargeStatesPickTheirPictureAndAnUnknownStateKeepsThePrevious) {
    ASSERT_NE(m_power, nullptr);
    m_power->SetKind(2, 0);
    Show({85, 1, 0, 0});
    EXPECT_EQ(StatusImage(), u"file='power/powering.png'");
    EXPECT_FALSE(Progress()->isHidden());
    EXPECT_EQ(Value(), u"85%");
    EXPECT_EQ(Progress()->GetValue(), 15);

    Show({85, 1, 0, 1});
    EXPECT_TRUE(Progress()->isHidden());
    Show({100, 0, 0, 1});
    EXPECT_EQ(StatusImage(), u"file='power/powered.png'");
    EXPECT_FALSE(Progress()->isHidden());
    Show({40, 2});
    EXPECT_EQ(StatusImage(), u"file='power/power.png'");

    Show({39, 3, 0, 1});
    EXPECT_EQ(StatusImage(), u"file='power/power.png'");
    EXPECT_EQ(Value(), u"39%");
}

TEST_F(PowerWidget, MouseShowsTheWirelessMarkExactlyWhenWireless) {
    ASSERT_NE(m_power, nullptr);
    m_power->SetKind(2, 0);
    Show({50, 2, 0, 1});
    EXPECT_FALSE(Find("device_wuxian_logo")->GetWidget()->isHidden());
    Show({50, 2, 0, 0});
    EXPECT_TRUE(Find("device_wuxian_logo")->GetWidget()->isHidden());
}

TEST_F(PowerWidget, PhoneTypesOfThePad) {
    ASSERT_NE(m_power, nullptr);
    m_power->SetKind(3, 1);
    const struct {
        std::uint8_t code;
        const char* tip;
    } rows[] = {{1, "Phone_type_iphone"},    {2, "Phone_type_samsung"},
                {3, "Phone_type_other"},     {0, "Phone_type_no_device"},
                {4, "Phone_type_no_device"}, {255, "Phone_type_no_device"}};
    for (const auto& row : rows) {
        Show({20, 2, 0, 0, 0, row.code});
        EXPECT_EQ(Find("device_phone_type")->GetToolTip(), QLatin1String(row.tip)) << +row.code;
        EXPECT_EQ(PhoneImage(), QStringLiteral("file='power/%1.png'").arg(QLatin1String(row.tip)));
    }
}

TEST_F(PowerWidget, ShortAndOverlongRecordsAndAnImpossibleLevel) {
    ASSERT_NE(m_power, nullptr);
    m_power->SetKind(3, 0);
    // A lone level byte reads as charge state 0 and no phone.
    Show({70});
    EXPECT_EQ(Value(), u"70%");
    EXPECT_EQ(StatusImage(), u"file='power/powered.png'");
    EXPECT_EQ(PhoneImage(), u"file='power/Phone_type_no_device.png'");

    std::vector<std::uint8_t> longRecord(200, 0);
    longRecord[0] = 10;
    longRecord[5] = 1;
    m_power->ShowStatus(longRecord);
    EXPECT_EQ(Value(), u"10%");
    EXPECT_EQ(PhoneImage(), u"file='power/Phone_type_iphone.png'");

    m_power->ShowStatus({});
    EXPECT_EQ(Value(), u"0%");
    EXPECT_EQ(Progress()->GetValue(), 100);

    // A level past 100 is not a percentage: it shows as full rather than as a negative bar.
    Show({230, 2});
    EXPECT_EQ(Value(), u"100%");
    EXPECT_EQ(Progress()->GetValue(), 0);
}

TEST_F(PowerWidget, PowerLayoutFollowsThePowerMode) {
    ASSERT_NE(m_power, nullptr);
    // Hidden until a page with a battery says otherwise.
    EXPECT_TRUE(Find("device_power_Layout")->GetWidget()->isHidden());
    m_power->ShowPowerLayout(1);
    EXPECT_FALSE(Find("device_power_Layout")->GetWidget()->isHidden());
    m_power->ShowPowerLayout(0);
    EXPECT_TRUE(Find("device_power_Layout")->GetWidget()->isHidden());
}

TEST(PowerWidgetAlone, AnyMissingControlShowsNothing) {
    CMpDevicePowerUI power;
    power.SetKind(3, 0);
    auto* value = new CLabelUI;
    value->SetName(QStringLiteral("device_power_value"));
    value->SetText(QStringLiteral("--"));
    auto* progress = new CProgressUI;
    progress->SetName(QStringLiteral("device_Power_progress"));
    progress->SetValue(30);
    auto* status = new CPlainControlUI;
    status->SetName(QStringLiteral("device_power_status"));
    auto* phone = new CPlainControlUI;
    phone->SetName(QStringLiteral("device_phone_type"));
    for (CControlUI* control : std::initializer_list<CControlUI*>{value, progress, status, phone}) {
        power.Add(control);
    }
    const std::array<std::uint8_t, 6> record = {55, 1, 0, 1, 0, 2};
    // No wireless mark in this layout.
    power.ShowStatus(record);
    EXPECT_EQ(value->GetText(), u"--");
    EXPECT_EQ(progress->GetValue(), 30);
    EXPECT_TRUE(status->GetBkImage().isEmpty());
    EXPECT_TRUE(phone->GetBkImage().isEmpty());
    power.ShowPowerLayout(1);

    auto* wireless = new CPlainControlUI;
    wireless->SetName(QStringLiteral("device_wuxian_logo"));
    power.Add(wireless);
    power.ShowStatus(record);
    EXPECT_EQ(value->GetText(), u"55%");
}

}  // namespace
}  // namespace quaro
