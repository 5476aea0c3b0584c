#pragma once

#include <cstdint>
#include <string>

namespace engine {

// The caller's callback, one record per call.
class Reporter {
public:
    virtual ~Reporter() = default;

    // Sends `action` with `flag`, `number` and `text` (cut to 511 bytes at a
    // character boundary) and reads back the three values the caller may
    // have changed. False when the caller asked to stop.
    virtual bool Call(int action, std::int32_t& flag, std::int32_t& number, std::string& text) = 0;
};

} // namespace engine
