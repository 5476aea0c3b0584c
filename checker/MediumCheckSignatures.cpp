// The signatures of a Windows medium's programs: who signed each, and
// whether the signature still matches the file.

#include "checker/MediumCheck.h"

#include <algorithm>

#include "checker/Authenticode.h"
#include "platform/Directory.h"
#include "platform/FileSystem.h"
#include "platform/TrustVerdict.h"

namespace {

// What a customer meets with a program that is not signed.
std::string UnsignedConsequence(const std::string& name) {
    if (name == "setup.exe") {
        return "Windows shows \"Unknown publisher\" when it asks for administrator rights, and "
               "browsers and SmartScreen warn before it runs";
    }
    return "security software and inventory tools cannot tell who made it";
}

} // namespace

void MediumCheck::CheckSignatures() {
    if (!platform::FileExists(PathOf("setup.exe"))) {
        return;
    }
    std::vector<std::string> programs{"setup.exe"};
    std::vector<std::string> libraries;
    for (const auto& entry : platform::EnumerateMatches(PathOf("*.dll"))) {
        if (!entry.isDirectory) {
            libraries.push_back(entry.name);
        }
    }
    std::sort(libraries.begin(), libraries.end());
    programs.insert(programs.end(), libraries.begin(), libraries.end());

    for (const std::string& name : programs) {
        std::string bytes;
        std::string reason;
        if (!platform::ReadWholeFile(PathOf(name), bytes, reason)) {
            Problem(name + " cannot be read: " + reason);
            continue;
        }
        const authenticode::Reading reading = authenticode::Read(bytes);
        const std::string signer = reading.signature.subject.empty()
                                       ? std::string("an unnamed signer")
                                       : reading.signature.subject;
        const auto system = platform::SystemTrustVerdict(PathOf(name));
        using Kind = platform::TrustVerdict::Kind;
        Kind kind = Kind::NotSigned;
        std::string how;
        if (system) {
            kind = system->kind;
            how = "Windows' WinVerifyTrust";
        } else if (reading.kind == authenticode::Reading::Kind::Signed) {
            const auto digest = authenticode::FileDigest(bytes, reading.signature.digestOid);
            how = "its " + authenticode::DigestName(reading.signature.digestOid) +
                  " digest checked by vg-medium-check itself";
            if (!digest) {
                kind = Kind::Unreadable;
                reason = "the digest algorithm " + reading.signature.digestOid + " is unknown here";
            } else {
                kind = *digest == reading.signature.signedDigest ? Kind::Trusted : Kind::Changed;
            }
        } else if (reading.kind == authenticode::Reading::Kind::Unreadable) {
            kind = Kind::Unreadable;
            reason = "its certificate table holds no Authenticode signature";
        }
        switch (kind) {
        case Kind::NotSigned:
            Note(name + " is not signed: " + UnsignedConsequence(name) +
                 ". Sign the medium with scripts/sign-medium.sh.");
            break;
        case Kind::Trusted:
            Ok(name + " is signed by " + signer + "; the signature matches the file (" + how + ").");
            break;
        case Kind::NotTrusted:
            Note(name + " is signed by " + signer + " and the signature matches the file, but " +
                 "Windows does not trust its certificate (" + system->reason +
                 "): customers see an unverified publisher; sign with a code-signing certificate "
                 "of an authority Windows trusts.");
            break;
        case Kind::Changed:
            Problem(name + " was changed after it was signed by " + signer +
                    ": the signature no longer matches the file (" + how +
                    "), and Windows treats the program as tampered with; sign it again after the "
                    "last change.");
            break;
        case Kind::Unreadable:
            Problem(name + " carries a signature that cannot be read (" +
                    (system ? system->reason : reason) + "); sign it again.");
            break;
        }
    }
}
