// What a warehouse worker hears while scanning, without looking at the screen: a short sound for an
// accepted scan and a distinct one for a refused scan or an unknown barcode. Where no sound files
// are shipped the system bell serves: one ring for accepted, three quick rings for refused.
//
// The box packing window sends its signals through a replaceable function (TFrProductInBoxNo::
// Feedback), so tests count them instead of ringing the bell.
#pragma once

#include <functional>

namespace packing {

enum class ScanSignal { Accepted, Refused };

using ScanFeedback = std::function<void(ScanSignal)>;

// The system bell: one ring for Accepted; three rings 120 ms apart for Refused (the later rings
// come from the event loop, so the call never blocks).
void RingBell(ScanSignal signal);

}  // namespace packing
