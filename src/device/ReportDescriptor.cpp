#include "device/ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <utility>

namespace quaro {

bool HidCollectionInfo::HasReportId(uint8_t id) const {
    return std::find(reportIds.begin(), reportIds.end(), id) != reportIds.end();
}

uint32_t ValueElementCount(const HidField& field) {
    if (!field.isRange || field.reportCount == 0) {
        return 1;
    }
    return std::min<uint32_t>(field.usageMax - field.usageMin + 1u, field.reportCount);
}

uint32_t UsageListLength(const HidField& field) {
    if (field.isArray) {
        return field.reportCount;
    }
    return std::min<uint32_t>(field.reportCount, field.usageMax - field.usageMin + 1u);
}

namespace {

// Item types and tags of the short item prefix byte.
enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t {
    kInputTag = 0x8,
    kOutputTag = 0x9,
    kCollectionTag = 0xA,
    kFeatureTag = 0xB,
    kEndCollectionTag = 0xC,
};

enum GlobalTag : uint8_t {
    kUsagePageTag = 0x0,
    kLogicalMinTag = 0x1,
    kLogicalMaxTag = 0x2,
    kPhysicalMinTag = 0x3,
    kPhysicalMaxTag = 0x4,
    kReportSizeTag = 0x7,
    kReportIdTag = 0x8,
    kReportCountTag = 0x9,
    kPushTag = 0xA,
    kPopTag = 0xB,
};

enum LocalTag : uint8_t { kUsageTag = 0x0, kUsageMinTag = 0x1, kUsageMaxTag = 0x2 };

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr uint32_t kConstantFlag = 0x01;
constexpr uint32_t kVariableFlag = 0x02;

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    uint32_t logicalMaxUnsigned = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A usage as written in a local item: a 4-byte item carries its own page in the high half.
struct LocalUsage {
    uint32_t value = 0;
    bool extended = false;
};

struct LocalState {
    std::vector<LocalUsage> usages;
    std::optional<LocalUsage> usageMin;
    std::optional<LocalUsage> usageMax;
};

int32_t SignedValue(uint32_t raw, size_t size) {
    switch (size) {
        case 1:
            return static_cast<int8_t>(raw);
        case 2:
            return static_cast<int16_t>(raw);
        default:
            return static_cast<int32_t>(raw);
    }
}

uint16_t PageOf(const LocalUsage& usage, uint16_t globalPage) {
    return usage.extended ? static_cast<uint16_t>(usage.value >> 16) : globalPage;
}

uint16_t IdOf(const LocalUsage& usage) {
    return static_cast<uint16_t>(usage.value & 0xFFFF);
}

class Parser {
public:
    explicit Parser(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    DescriptorResult Run() {
        DescriptorResult result;
        if (!Parse()) {
            result.error = m_error;
            return result;
        }
        result.descriptor = Finish();
        if (!result.descriptor) {
            result.error = m_error;
        }
        return result;
    }

private:
    bool Fail(std::string why) {
        m_error = std::move(why);
        return false;
    }

    bool Parse() {
        size_t at = 0;
        size_t items = 0;
        while (at < m_bytes.size()) {
            if (++items > kMaxDescriptorItems) {
                return Fail("too many items");
            }
            const uint8_t prefix = m_bytes[at];
            if (prefix == kLongItemPrefix) {
                return Fail("long item");
            }
            size_t size = prefix & 0x03;
            if (size == 3) {
                size = 4;
            }
            if (at + 1 + size > m_bytes.size()) {
                return Fail("truncated item");
            }
            uint32_t raw = 0;
            for (size_t i = 0; i < size; ++i) {
                raw |= static_cast<uint32_t>(m_bytes[at + 1 + i]) << (8 * i);
            }
            const auto type = static_cast<uint8_t>((prefix >> 2) & 0x03);
            const auto tag = static_cast<uint8_t>(prefix >> 4);
            at += 1 + size;
            bool ok = true;
            switch (type) {
                case kMain:
                    ok = MainItem(tag, raw);
                    break;
                case kGlobal:
                    ok = GlobalItem(tag, raw, size);
                    break;
                case kLocal:
                    ok = LocalItem(tag, raw, size);
                    break;
                default:
                    ok = Fail("reserved item type");
                    break;
            }
            if (!ok) {
                return false;
            }
        }
        if (m_depth != 0) {
            return Fail("unclosed collection");
        }
        return true;
    }

    bool GlobalItem(uint8_t tag, uint32_t raw, size_t size) {
        switch (tag) {
            case kUsagePageTag:
                m_global.usagePage = static_cast<uint16_t>(raw);
                break;
            case kLogicalMinTag:
                m_global.logicalMin = SignedValue(raw, size);
                break;
            case kLogicalMaxTag:
                m_global.logicalMax = SignedValue(raw, size);
                m_global.logicalMaxUnsigned = raw;
                break;
            case kPhysicalMinTag:
                m_global.physicalMin = SignedValue(raw, size);
                break;
            case kPhysicalMaxTag:
                m_global.physicalMax = SignedValue(raw, size);
                break;
            case kReportSizeTag:
                if (raw > 256) {
                    return Fail("report size too large");
                }
                m_global.reportSize = raw;
                break;
            case kReportIdTag:
                if (raw == 0 || raw > 0xFF) {
                    return Fail("bad report id");
                }
                m_global.reportId = static_cast<uint8_t>(raw);
                m_numbered = true;
                break;
            case kReportCountTag:
                if (raw > kMaxReportBytes * 8) {
                    return Fail("report count too large");
                }
                m_global.reportCount = raw;
                break;
            case kPushTag:
                if (m_stack.size() >= kMaxGlobalStackDepth) {
                    return Fail("push overflow");
                }
                m_stack.push_back(m_global);
                break;
            case kPopTag:
                if (m_stack.empty()) {
                    return Fail("pop without push");
                }
                m_global = m_stack.back();
                m_stack.pop_back();
                break;
            default:
                break;  // units, exponents: not needed for caps
        }
        return true;
    }

    bool LocalItem(uint8_t tag, uint32_t raw, size_t size) {
        const LocalUsage usage{raw, size == 4};
        switch (tag) {
            case kUsageTag:
                if (m_local.usages.size() >= kMaxDescriptorItems) {
                    return Fail("too many usages");
                }
                m_local.usages.push_back(usage);
                break;
            case kUsageMinTag:
                m_local.usageMin = usage;
                break;
            case kUsageMaxTag:
                m_local.usageMax = usage;
                break;
            default:
                break;  // designators, strings, delimiters
        }
        return true;
    }

    bool MainItem(uint8_t tag, uint32_t raw) {
        bool ok = true;
        switch (tag) {
            case kCollectionTag:
                ok = OpenCollection();
                break;
            case kEndCollectionTag:
                if (m_depth == 0) {
                    return Fail("end collection without collection");
                }
                --m_depth;
                break;
            case kInputTag:
                ok = DataItem(HidReportType::kInput, raw);
                break;
            case kOutputTag:
                ok = DataItem(HidReportType::kOutput, raw);
                break;
            case kFeatureTag:
                ok = DataItem(HidReportType::kFeature, raw);
                break;
            default:
                ok = Fail("reserved main item");
                break;
        }
        m_local = LocalState{};
        return ok;
    }

    bool OpenCollection() {
        if (m_depth >= kMaxCollectionDepth) {
            return Fail("collections nested too deep");
        }
        if (m_depth == 0) {
            HidCollectionInfo collection;
            collection.usagePage = m_global.usagePage;
            if (!m_local.usages.empty()) {
                collection.usagePage = PageOf(m_local.usages.front(), m_global.usagePage);
                collection.usage = IdOf(m_local.usages.front());
            } else if (m_local.usageMin) {
                collection.usagePage = PageOf(*m_local.usageMin, m_global.usagePage);
                collection.usage = IdOf(*m_local.usageMin);
            }
            m_collections.push_back(std::move(collection));
            m_elements = 0;
            m_usageSlots = 0;
            m_countedButtons = {};
            m_countedValues = {};
        }
        ++m_depth;
        return true;
    }

    bool DataItem(HidReportType type, uint32_t flags) {
        if (m_depth == 0) {
            return Fail("data item outside any collection");
        }
        const uint32_t bits = m_global.reportSize * m_global.reportCount;
        uint32_t& offset = m_bitOffsets[{static_cast<uint8_t>(type), m_global.reportId}];
        const uint32_t fieldOffset = offset;
        offset += bits;
        if ((offset + 7) / 8 + 1 > kMaxReportBytes) {
            return Fail("report too long");
        }
        HidCollectionInfo& collection = m_collections.back();
        if (m_global.reportId != 0 && !collection.HasReportId(m_global.reportId)) {
            collection.reportIds.push_back(m_global.reportId);
        }
        if (m_global.reportId == 0) {
            m_unnumberedData = true;
        }
        m_reportOwner[{static_cast<uint8_t>(type), m_global.reportId}] = m_collections.size() - 1;
        if ((flags & kConstantFlag) != 0 || bits == 0) {
            return true;
        }
        if (m_global.reportSize > 32) {
            return Fail("field wider than 32 bits");
        }
        AddCaps(type, flags, fieldOffset, collection);
        return CountElements(collection);
    }

    // Counts what the fields added since the last call open into, and refuses the collection
    // once that passes the caps.
    bool CountElements(const HidCollectionInfo& collection) {
        for (size_t t = 0; t < kHidReportTypeCount; ++t) {
            for (size_t i = m_countedButtons[t]; i < collection.buttons[t].size(); ++i) {
                ++m_elements;
                m_usageSlots += UsageListLength(collection.buttons[t][i]);
            }
            for (size_t i = m_countedValues[t]; i < collection.values[t].size(); ++i) {
                m_elements += ValueElementCount(collection.values[t][i]);
            }
            m_countedButtons[t] = collection.buttons[t].size();
            m_countedValues[t] = collection.values[t].size();
        }
        if (m_elements > kMaxCollectionElements) {
            return Fail("too many data elements in a collection");
        }
        if (m_usageSlots > kMaxCollectionUsageSlots) {
            return Fail("usage lists too long in a collection");
        }
        return true;
    }

    void AddCaps(HidReportType type, uint32_t flags, uint32_t fieldOffset,
                 HidCollectionInfo& collection) {
        const bool isArray = (flags & kVariableFlag) == 0;
        const bool isButton = isArray || m_global.reportSize == 1;
        HidField base;
        base.reportId = m_global.reportId;
        base.usagePage = m_global.usagePage;
        base.isArray = isArray;
        base.bitSize = static_cast<uint16_t>(m_global.reportSize);
        base.logicalMin = m_global.logicalMin;
        base.logicalMax = m_global.logicalMax;
        // A maximum written as a positive number in a narrow item reads negative when taken as
        // signed (0x26 0xFF 0x00 is 255); with a non-negative minimum it is meant unsigned.
        if (base.logicalMin >= 0 && base.logicalMax < base.logicalMin) {
            base.logicalMax = static_cast<int32_t>(m_global.logicalMaxUnsigned & 0x7FFFFFFF);
        }
        base.physicalMin = m_global.physicalMin;
        base.physicalMax = m_global.physicalMax;
        auto& target = isButton ? collection.buttons[static_cast<size_t>(type)]
                                : collection.values[static_cast<size_t>(type)];

        if (m_local.usageMin || m_local.usageMax || m_local.usages.empty()) {
            HidField field = base;
            const LocalUsage low = m_local.usageMin.value_or(LocalUsage{});
            const LocalUsage high = m_local.usageMax.value_or(low);
            field.usagePage = PageOf(low, m_global.usagePage);
            field.usageMin = IdOf(low);
            field.usageMax = std::max(IdOf(low), IdOf(high));
            field.isRange = true;
            field.bitOffset = fieldOffset;
            field.reportCount = static_cast<uint16_t>(m_global.reportCount);
            target.push_back(field);
            return;
        }
        if (isArray) {
            // An array selecting among listed usages: one cap per usage, all over the same bits.
            for (const LocalUsage& usage : m_local.usages) {
                HidField field = base;
                field.usagePage = PageOf(usage, m_global.usagePage);
                field.usageMin = field.usageMax = IdOf(usage);
                field.bitOffset = fieldOffset;
                field.reportCount = static_cast<uint16_t>(m_global.reportCount);
                target.push_back(field);
            }
            return;
        }
        // Variable fields take the listed usages in turn; the last usage covers the rest.
        const size_t count = m_global.reportCount;
        const size_t listed = m_local.usages.size();
        uint32_t bit = fieldOffset;
        for (size_t i = 0; i < listed && i < count; ++i) {
            HidField field = base;
            field.usagePage = PageOf(m_local.usages[i], m_global.usagePage);
            field.usageMin = field.usageMax = IdOf(m_local.usages[i]);
            field.bitOffset = bit;
            field.reportCount = static_cast<uint16_t>(i + 1 == listed ? count - i : 1);
            bit += field.reportCount * m_global.reportSize;
            target.push_back(field);
        }
    }

    std::optional<ReportDescriptor> Finish() {
        if (m_numbered && m_unnumberedData) {
            Fail("numbered and unnumbered reports mixed");
            return std::nullopt;
        }
        ReportDescriptor descriptor;
        descriptor.numbered = m_numbered;
        for (const auto& [key, bits] : m_bitOffsets) {
            const auto it = m_reportOwner.find(key);
            if (it == m_reportOwner.end()) {
                continue;
            }
            HidCollectionInfo& collection = m_collections[it->second];
            const auto length = static_cast<uint16_t>((bits + 7) / 8 + 1);
            uint16_t& slot = collection.reportLength[key.first];
            slot = std::max(slot, length);
        }
        descriptor.collections = std::move(m_collections);
        return descriptor;
    }

    std::span<const uint8_t> m_bytes;
    std::string m_error;
    GlobalState m_global;
    std::vector<GlobalState> m_stack;
    LocalState m_local;
    size_t m_depth = 0;
    bool m_numbered = false;
    bool m_unnumberedData = false;
    std::vector<HidCollectionInfo> m_collections;
    // What the current top-level collection opens into so far, and how many of its fields of
    // each type are counted in that.
    size_t m_elements = 0;
    size_t m_usageSlots = 0;
    std::array<size_t, kHidReportTypeCount> m_countedButtons{};
    std::array<size_t, kHidReportTypeCount> m_countedValues{};
    // Bits so far of each (report type, report id), and the collection the report belongs to.
    std::map<std::pair<uint8_t, uint8_t>, uint32_t> m_bitOffsets;
    std::map<std::pair<uint8_t, uint8_t>, size_t> m_reportOwner;
};

}  // namespace

DescriptorResult ParseReportDescriptor(std::span<const uint8_t> bytes) {
    return Parser(bytes).Run();
}

}  // namespace quaro
