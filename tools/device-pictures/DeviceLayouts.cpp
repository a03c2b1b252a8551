// Where every key and LED sits on its device. The keyboard's places follow the logical key
// order of the default key table; keys that only regional boards carry (and the spare entries)
// are bound but hidden, so the light frame still has a button for each of its entries.

#include "DevicePictures.h"
#include "device/CatalogueTables.h"
#include "devices/keyboard/KeyTables.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace quaro::pictures {
namespace {

// The keyboard is drawn on a grid of key units.
constexpr double kUnit = 36.0;
constexpr int kKeyGap = 4;
constexpr int kBodyMargin = 22;        // body edge to the first key
constexpr int kGlowMargin = 18;        // picture edge to the body, room for the edge light
constexpr double kMacroColumn = -1.5;  // the M keys stand left of the main block
constexpr double kBoardWidthUnits = 24.0;
constexpr double kBoardHeightUnits = 6.5;

struct KeyPlace {
    int key;
    double x;  // units, from the main block's left edge
    double y;  // units, from the function row's top edge
    double w = 1.0;
    double h = 1.0;
    bool shown = true;
};

constexpr double kRow1 = 1.5;

// clang-format off
constexpr KeyPlace kKeyboardPlaces[] = {
    // Function row; the game-mode key and its neighbour sit over the numeric pad.
    {0, 0, 0},
    {1, 2, 0}, {2, 3, 0}, {3, 4, 0}, {4, 5, 0},
    {5, 6.5, 0}, {6, 7.5, 0}, {7, 8.5, 0}, {8, 9.5, 0},
    {9, 11, 0}, {10, 12, 0}, {11, 13, 0}, {12, 14, 0},
    {13, 15.25, 0}, {14, 16.25, 0}, {15, 17.25, 0},
    {16, 20.5, 0}, {17, 21.5, 0},
    {18, 18.5, 0, 1, 1, false}, {19, 19.5, 0, 1, 1, false}, {20, 19.5, 0, 1, 1, false},
    // Number row.
    {21, 0, kRow1},
    {22, 1, kRow1}, {23, 2, kRow1}, {24, 3, kRow1}, {25, 4, kRow1}, {26, 5, kRow1},
    {27, 6, kRow1}, {28, 7, kRow1}, {29, 8, kRow1}, {30, 9, kRow1}, {31, 10, kRow1},
    {32, 11, kRow1}, {33, 12, kRow1}, {34, 13, kRow1, 2},
    {35, 15.25, kRow1}, {36, 16.25, kRow1}, {37, 17.25, kRow1},
    {38, 18.5, kRow1}, {39, 19.5, kRow1}, {40, 20.5, kRow1}, {41, 21.5, kRow1},
    // Top letter row.
    {42, 0, kRow1 + 1, 1.5},
    {43, 1.5, kRow1 + 1}, {44, 2.5, kRow1 + 1}, {45, 3.5, kRow1 + 1}, {46, 4.5, kRow1 + 1},
    {47, 5.5, kRow1 + 1}, {48, 6.5, kRow1 + 1}, {49, 7.5, kRow1 + 1}, {50, 8.5, kRow1 + 1},
    {51, 9.5, kRow1 + 1}, {52, 10.5, kRow1 + 1},
    {53, 11.5, kRow1 + 1}, {54, 12.5, kRow1 + 1}, {55, 13.5, kRow1 + 1, 1.5},
    {56, 15.25, kRow1 + 1}, {57, 16.25, kRow1 + 1}, {58, 17.25, kRow1 + 1},
    {59, 18.5, kRow1 + 1}, {60, 19.5, kRow1 + 1}, {61, 20.5, kRow1 + 1},
    {62, 21.5, kRow1 + 1, 1, 1, false},
    // Home row.
    {63, 0, kRow1 + 2, 1.75},
    {64, 1.75, kRow1 + 2}, {65, 2.75, kRow1 + 2}, {66, 3.75, kRow1 + 2}, {67, 4.75, kRow1 + 2},
    {68, 5.75, kRow1 + 2}, {69, 6.75, kRow1 + 2}, {70, 7.75, kRow1 + 2}, {71, 8.75, kRow1 + 2},
    {72, 9.75, kRow1 + 2}, {73, 10.75, kRow1 + 2}, {74, 11.75, kRow1 + 2},
    {75, 12.75, kRow1 + 2, 2.25},
    {76, 18.5, kRow1 + 2}, {77, 19.5, kRow1 + 2}, {78, 20.5, kRow1 + 2},
    // Keys of Japanese and Korean boards, round the space bar.
    {79, 9.0, kRow1 + 4, 1, 1, false}, {80, 3.0, kRow1 + 4, 1, 1, false},
    {81, 9.0, kRow1 + 4, 1, 1, false}, {82, 3.0, kRow1 + 4, 1, 1, false},
    {83, 10.0, kRow1 + 4, 1, 1, false},
    // Lower letter row.
    {84, 0, kRow1 + 3, 2.25},
    {85, 2.25, kRow1 + 3}, {86, 3.25, kRow1 + 3}, {87, 4.25, kRow1 + 3}, {88, 5.25, kRow1 + 3},
    {89, 6.25, kRow1 + 3}, {90, 7.25, kRow1 + 3}, {91, 8.25, kRow1 + 3},
    {92, 9.25, kRow1 + 3}, {93, 10.25, kRow1 + 3}, {94, 11.25, kRow1 + 3},
    {95, 12.25, kRow1 + 3, 2.75},
    {96, 16.25, kRow1 + 3},
    {97, 18.5, kRow1 + 3}, {98, 19.5, kRow1 + 3}, {99, 20.5, kRow1 + 3},
    // Regional keys: the Japanese ro and yen keys, the ISO key beside left shift, the pad's
    // extra separator; then a spare entry.
    {100, 12.25, kRow1 + 3, 1, 1, false}, {101, 13, kRow1, 1, 1, false},
    {102, 1.25, kRow1 + 3, 1, 1, false}, {103, 21.5, kRow1 + 3, 1, 1, false},
    {104, 21.5, kRow1 + 3, 1, 1, false},
    // Bottom row.
    {105, 0, kRow1 + 4, 1.25}, {106, 1.25, kRow1 + 4, 1.25}, {107, 2.5, kRow1 + 4, 1.25},
    {108, 3.75, kRow1 + 4, 6.25}, {109, 10, kRow1 + 4}, {110, 12, kRow1 + 4},
    {111, 13, kRow1 + 4}, {112, 14, kRow1 + 4},
    {113, 15.25, kRow1 + 4}, {114, 16.25, kRow1 + 4}, {115, 17.25, kRow1 + 4},
    {116, 18.5, kRow1 + 4, 2}, {117, 20.5, kRow1 + 4},
    {118, 21.5, kRow1 + 3, 1, 2}, {119, 21.5, kRow1 + 1, 1, 2},
    // The macro keys' column.
    {120, kMacroColumn, kRow1}, {121, kMacroColumn, kRow1 + 1}, {122, kMacroColumn, kRow1 + 2},
    {123, kMacroColumn, kRow1 + 3}, {124, kMacroColumn, kRow1 + 4},
    {125, 11, kRow1 + 4},
};
// clang-format on

static_assert(std::size(kKeyboardPlaces) == kLogicalKeyCount);

}  // namespace

const DevicePageEntry& PageOf(std::string_view kindName) {
    for (std::size_t i = 0; i < kDeviceTypes.size(); ++i) {
        if (kDeviceTypes[i].kindName == kindName) {
            return kDevicePages[i];
        }
    }
    throw std::invalid_argument(std::string(kindName));
}

namespace {

QString Numbered(const char* prefix, int n) {
    return QLatin1String(prefix) + QString::number(n);
}

DeviceLayout Keyboard() {
    DeviceLayout layout;
    layout.layoutFile = QStringLiteral("XML/Devices/KeyboardPicture.xml");
    layout.bodyFile = QStringLiteral("devices/keyboard_body.png");
    layout.panelName = QStringLiteral("keyboard_picture");
    const int origin = kGlowMargin + kBodyMargin;
    layout.size = QSize(static_cast<int>(kBoardWidthUnits * kUnit) + 2 * origin,
                        static_cast<int>(kBoardHeightUnits * kUnit) + 2 * origin);
    const double left = origin - kMacroColumn * kUnit;
    for (const KeyPlace& place : kKeyboardPlaces) {
        const int x = static_cast<int>(std::lround(left + place.x * kUnit));
        const int y = static_cast<int>(std::lround(origin + place.y * kUnit));
        const int w = static_cast<int>(std::lround(place.w * kUnit)) - kKeyGap;
        const int h = static_cast<int>(std::lround(place.h * kUnit)) - kKeyGap;
        layout.buttons.push_back({Numbered("key_", place.key), Numbered("light_", place.key),
                                  QRect(x, y, w, h), place.shown, false});
    }
    return layout;
}

// The pad: a hard surface with its light strip along the edge and the hub at the top centre.
// The LEDs run clockwise from the hub round the edge.
DeviceLayout MousePad() {
    DeviceLayout layout;
    layout.layoutFile = QStringLiteral("XML/Devices/MousePadPicture.xml");
    layout.bodyFile = QStringLiteral("devices/mousepad_body.png");
    layout.panelName = QStringLiteral("mousepad_picture");
    layout.size = QSize(640, 400);
    const QRectF strip(46, 46, 548, 308);  // the centre line of the light strip
    const double perimeter = 2 * (strip.width() + strip.height());
    constexpr int kSpot = 26;
    const int ledCount = PageOf("MousePad").lightCount;
    for (int led = 0; led < ledCount; ++led) {
        // Start just right of the hub and walk clockwise.
        double d = std::fmod(strip.width() / 2 + 60 + led * perimeter / ledCount, perimeter);
        QPointF at;
        if (d < strip.width()) {
            at = QPointF(strip.left() + d, strip.top());
        } else if ((d -= strip.width()) < strip.height()) {
            at = QPointF(strip.right(), strip.top() + d);
        } else if ((d -= strip.height()) < strip.width()) {
            at = QPointF(strip.right() - d, strip.bottom());
        } else {
            d -= strip.width();
            at = QPointF(strip.left(), strip.bottom() - d);
        }
        const QPoint centre(static_cast<int>(std::lround(at.x())),
                            static_cast<int>(std::lround(at.y())));
        layout.buttons.push_back({Numbered("light_", led), Numbered("light_", led),
                                  QRect(centre - QPoint(kSpot / 2, kSpot / 2), QSize(kSpot, kSpot)),
                                  true, true});
    }
    return layout;
}

// The headset seen from the front: the first LED group rings the left ear cup, the second the
// right one, both from the top of the cup round its outer side.
DeviceLayout Headset() {
    DeviceLayout layout;
    layout.layoutFile = QStringLiteral("XML/Devices/HeadsetPicture.xml");
    layout.bodyFile = QStringLiteral("devices/headset_body.png");
    layout.panelName = QStringLiteral("headset_picture");
    layout.size = QSize(480, 400);
    constexpr int kSpot = 18;
    constexpr int kLeftGroup = 7;
    const QPointF leftCup(112, 262);
    const QPointF rightCup(368, 262);
    constexpr double kRing = 52;
    const int ledCount = PageOf("HD").lightCount;
    for (int led = 0; led < ledCount; ++led) {
        const bool left = led < kLeftGroup;
        const int index = left ? led : led - kLeftGroup;
        const int count = left ? kLeftGroup : ledCount - kLeftGroup;
        // An arc over the cup's outer half, from its top (90 degrees) to its bottom.
        const double degrees = 90 + 180.0 * (index + 0.5) / count;
        const double a = degrees * M_PI / 180.0;
        const QPointF cup = left ? leftCup : rightCup;
        const double dx = std::cos(a) * kRing * (left ? 1 : -1);
        const QPointF at(cup.x() + dx, cup.y() - std::sin(a) * kRing);
        const QPoint centre(static_cast<int>(std::lround(at.x())),
                            static_cast<int>(std::lround(at.y())));
        layout.buttons.push_back({Numbered("light_", led), Numbered("light_", led),
                                  QRect(centre - QPoint(kSpot / 2, kSpot / 2), QSize(kSpot, kSpot)),
                                  true, true});
    }
    return layout;
}

}  // namespace

std::vector<DeviceLayout> DeviceLayouts() {
    return {Keyboard(), MousePad(), Headset(), MouseLayout()};
}

}  // namespace quaro::pictures
