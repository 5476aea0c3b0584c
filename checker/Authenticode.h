#pragma once

#include <optional>
#include <string>
#include <string_view>

// The Authenticode signature embedded in a Windows program or library (the
// PE file's certificate table: a PKCS #7 SignedData whose content is the
// digest of the file), read without any system service.
namespace authenticode {

struct Signature {
    // Object identifier (dotted) of the digest algorithm the signer used.
    std::string digestOid;
    // The digest of the file as signed, raw bytes.
    std::string signedDigest;
    // The signer's certificate subject, as "CN=…, O=…, C=…" in stored order;
    // empty when the signature carries no certificate of its signer.
    std::string subject;
};

struct Reading {
    enum class Kind {
        NotAProgram, // no PE file
        Unsigned,    // a PE file without a certificate table
        Signed,      // a certificate table with a signature that could be read
        Unreadable,  // a certificate table that holds no readable signature
    };
    Kind kind = Kind::NotAProgram;
    Signature signature;
};

// Reads the embedded signature of the PE file whose bytes are `file`.
Reading Read(std::string_view file);

// The Authenticode digest of the PE file, as Windows and osslsigncode
// compute it: of every byte of the file but the header's checksum, the
// certificate table's directory entry and the certificate table itself.
// Nullopt for a digest algorithm other than SHA-1 and SHA-256, and for a
// file that is no PE file.
std::optional<std::string> FileDigest(std::string_view file, std::string_view digestOid);

// The name of a digest algorithm for people ("SHA-256"), or its identifier.
std::string DigestName(std::string_view digestOid);

} // namespace authenticode
