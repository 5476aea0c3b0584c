#pragma once

#include <optional>
#include <string>

namespace platform {

// What the system says of a program's Authenticode signature.
struct TrustVerdict {
    enum class Kind {
        NotSigned,  // no signature
        Trusted,    // the signature matches the file, its certificate is trusted
        Changed,    // the file was changed after it was signed
        NotTrusted, // the signature matches the file, its certificate is not trusted
        Unreadable, // a signature the system cannot read
    };
    Kind kind = Kind::NotSigned;
    // The system's words for NotTrusted and Unreadable.
    std::string reason;
};

// Asks the system about the file at `path`. Windows: WinVerifyTrust with
// the generic Authenticode policy, no user interface, no revocation check
// (wintrust.dll loaded from the system folder by full path). Elsewhere
// nullopt: the system has no such service.
std::optional<TrustVerdict> SystemTrustVerdict(const std::string& path);

} // namespace platform
