#include "platform/FileProtection.h"

namespace platform {

bool SystemFileProtection::IsProtected(const std::string&) const {
    return false;
}

} // namespace platform
