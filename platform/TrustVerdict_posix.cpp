#include "platform/TrustVerdict.h"

namespace platform {

std::optional<TrustVerdict> SystemTrustVerdict(const std::string&) {
    return std::nullopt;
}

} // namespace platform
