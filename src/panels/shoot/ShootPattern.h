#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>

namespace quaro {

// One bullet of a firing pattern as the shoot panel edits it: the pointer moves left or right
// by x and up or down by y after the shot, then waits delay milliseconds.
struct ShootBullet {
    bool left = false;
    bool up = false;
    int x = 0;
    int y = 0;
    int delay = 0;

    friend bool operator==(const ShootBullet&, const ShootBullet&) = default;
};

// The gun files: a document whose "Events" hold four macro events per bullet (left button down
// and up, a horizontal and a vertical move), bullet b at 4b to 4b+3.
class ShootPattern {
public:
    static constexpr int kGunCount = 4;
    static constexpr int kBulletCount = 30;
    static constexpr int kEventsPerBullet = 4;

    // "ShootData_" + gun + ".Shoot".
    static std::string FileName(int gun);

    // The bullet as a document holds it; a document without it reads as a bullet of zeros moving
    // right and down.
    static ShootBullet ReadBullet(const Json::Value& document, int bullet);

    // Writes the bullet's four events into the document, which becomes an object with an
    // "Events" array if it was not one; events before it that were missing stay null.
    static void WriteBullet(Json::Value& document, int bullet, const ShootBullet& values);
};

}  // namespace quaro
