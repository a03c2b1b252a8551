#include "osconf/LevelScale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quaro {

LevelScale::LevelScale(long rawMin, long rawMax, DbOfRaw dbOfRaw)
    : m_rawMin(std::min(rawMin, rawMax)),
      m_rawMax(std::max(rawMin, rawMax)),
      m_dbOfRaw(std::move(dbOfRaw)) {
    if (m_dbOfRaw && m_rawMax > m_rawMin) {
        const std::optional<long> low = m_dbOfRaw(m_rawMin);
        const std::optional<long> high = m_dbOfRaw(m_rawMax);
        if (low && high && *low <= kMuteCentiDb && m_rawMax - m_rawMin >= 2) {
            const std::optional<long> first = m_dbOfRaw(m_rawMin + 1);
            const std::optional<long> second = m_dbOfRaw(m_rawMin + 2);
            if (first && second && *first > kMuteCentiDb && *high > *first) {
                m_silentMin = true;
                m_floor = *first - std::max(1L, *second - *first);
                m_usesDb = true;
            }
        } else if (low && high && *low > kMuteCentiDb && *high > *low) {
            m_usesDb = true;
        }
    }
    m_unitLow = Effective(m_rawMin);
    m_unitHigh = Effective(m_rawMax);
}

long LevelScale::Effective(long raw) const {
    if (!m_usesDb) {
        return raw;
    }
    if (m_silentMin && raw == m_rawMin) {
        return m_floor;
    }
    // A step the element cannot tell the decibels of sits at the floor rather than anywhere
    // that would make the scale run backwards.
    return m_dbOfRaw(raw).value_or(m_silentMin ? m_floor : m_unitLow);
}

double LevelScale::LevelOf(long raw) const {
    if (m_unitHigh <= m_unitLow) {
        return 0.0;
    }
    const long unit = Effective(std::clamp(raw, m_rawMin, m_rawMax));
    const double level = static_cast<double>(unit - m_unitLow) / (m_unitHigh - m_unitLow);
    return std::clamp(level, 0.0, 1.0);
}

long LevelScale::RawOfLevel(double level) const {
    if (std::isnan(level)) {
        level = 0.0;
    }
    level = std::clamp(level, 0.0, 1.0);
    return NearestRaw(m_unitLow + level * static_cast<double>(m_unitHigh - m_unitLow));
}

long LevelScale::UnitOf(long raw) const {
    return Effective(std::clamp(raw, m_rawMin, m_rawMax));
}

long LevelScale::RawOfUnit(double unit) const {
    if (std::isnan(unit)) {
        return m_rawMin;
    }
    return NearestRaw(
        std::clamp(unit, static_cast<double>(m_unitLow), static_cast<double>(m_unitHigh)));
}

long LevelScale::UnitStep() const {
    if (m_rawMax <= m_rawMin) {
        return 1;
    }
    return std::max(1L,
                    (m_unitHigh - m_unitLow + (m_rawMax - m_rawMin) / 2) / (m_rawMax - m_rawMin));
}

// The first step at or above the target by bisection (the scale only rises), then whichever
// of it and the step below is nearer; a tie goes up.
long LevelScale::NearestRaw(double unit) const {
    long low = m_rawMin;
    long high = m_rawMax;
    while (low < high) {
        const long middle = low + (high - low) / 2;
        if (static_cast<double>(Effective(middle)) < unit) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low > m_rawMin) {
        const double above = static_cast<double>(Effective(low)) - unit;
        const double below = unit - static_cast<double>(Effective(low - 1));
        if (below < above) {
            return low - 1;
        }
    }
    return low;
}

}  // namespace quaro
