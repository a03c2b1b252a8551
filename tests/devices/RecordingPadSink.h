#pragma once

#include "DriverTestFixture.h"
#include "devices/pad/PadDriverSink.h"

namespace quaro::test {

// Keeps every flow result and record read a pad or headset driver reports, for tests to wait on.
class RecordingPadSink : public RecordingSink<PadDriverSink, PadRecordRead> {
public:
    void OnPadRecordRead(const PadRecordRead& read) override { RecordRead(read); }
};

}  // namespace quaro::test
