#pragma once

#include <functional>
#include <optional>

namespace quaro {

// ALSA's decibel value (hundredths of a decibel) for a step that silences.
inline constexpr long kMuteCentiDb = -9999999;

// Maps a mixer volume's raw steps to the 0.0-1.0 level the headset page works in, evenly over
// the element's decibel range, so half way is half the loudness span in decibels rather than
// half the chip's steps. An element without decibel information is mapped over its raw range.
//
// A silencing lowest step has no decibel value; it is placed one step below the first audible
// one, so level 0 is silence and every step keeps a level of its own. Both directions round to
// the nearest step (level to raw) or exactly (raw to level), so raw -> level -> raw is the same
// step.
class LevelScale {
public:
    // Hundredths of a decibel at a raw value, kMuteCentiDb for silence, empty when unknown.
    using DbOfRaw = std::function<std::optional<long>(long raw)>;

    LevelScale(long rawMin, long rawMax, DbOfRaw dbOfRaw = {});

    bool UsesDb() const { return m_usesDb; }
    long RawMin() const { return m_rawMin; }
    long RawMax() const { return m_rawMax; }

    // 0.0-1.0; raw values outside the range count as its ends.
    double LevelOf(long raw) const;
    // The nearest step; levels outside 0.0-1.0 count as the ends, NaN as 0.
    long RawOfLevel(double level) const;

    // The element's own unit: hundredths of a decibel, or raw steps without decibel
    // information. Silence reads as the floor described above.
    long UnitOf(long raw) const;
    // The nearest step to a value in that unit, clamped to the range.
    long RawOfUnit(double unit) const;
    long UnitMin() const { return m_unitLow; }
    long UnitMax() const { return m_unitHigh; }
    // The average size of one step in that unit, at least 1.
    long UnitStep() const;

private:
    long Effective(long raw) const;
    long NearestRaw(double unit) const;

    long m_rawMin;
    long m_rawMax;
    DbOfRaw m_dbOfRaw;
    bool m_usesDb = false;
    bool m_silentMin = false;
    long m_floor = 0;  // the unit at rawMin when it silences
    long m_unitLow = 0;
    long m_unitHigh = 0;
};

}  // namespace quaro
