#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Told after every chunk copied; returns false to stop the copy.
using CopyProgress = std::function<bool(std::uint64_t bytesDone, std::uint64_t bytesTotal)>;

enum class CopyOutcome { Copied, Failed, Cancelled };

// Copies the file `source` to `target`, replacing any file there, safely: the
// data go into a temporary file in the target's folder, are flushed to disk
// and then renamed over the target, so the target is at every moment either
// the old file or the complete new one. The new file gets the source's
// permission bits. On failure or cancel the temporary file is removed and the
// target is untouched; `reason` holds the system's reason on failure.
CopyOutcome CopyFileSafely(const std::string& source, const std::string& target,
                           const CopyProgress& progress, std::string& reason);

} // namespace platform
