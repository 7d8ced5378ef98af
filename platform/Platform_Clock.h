#pragma once
// Time for the frame loop: a microsecond clock and waiting.

#include <cstdint>

namespace vl {

class TClock {
public:
  virtual ~TClock() = default;
  // Microseconds since an arbitrary start.
  virtual int64_t Microseconds() = 0;
  virtual void SleepMicroseconds(int64_t us) = 0;
  // A virtual clock advances only by sleeping, so waiting for a moment means sleeping up to it.
  virtual bool IsVirtual() const = 0;
};

} // namespace vl
