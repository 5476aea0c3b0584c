#include "checker/Authenticode.h"

#include <cstdint>
#include <vector>

#include "checker/Sha.h"

namespace authenticode {

namespace {

// ---- The PE file: where the checksum and the certificate table are. ----

struct PeLayout {
    std::size_t checksumOffset = 0;
    // The certificate table's entry among the data directories (8 bytes).
    std::size_t tableEntryOffset = 0;
    // The certificate table: a file offset and a size (0 when none).
    std::size_t tableOffset = 0;
    std::size_t tableSize = 0;
};

std::uint32_t Le(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::optional<PeLayout> LayoutOf(std::string_view file) {
    // DOS header: "MZ", the PE header's offset at 0x3c.
    if (file.size() < 0x40 || file.substr(0, 2) != "MZ") {
        return std::nullopt;
    }
    const std::size_t pe = Le(file, 0x3c, 4);
    // "PE\0\0", the 20-byte file header, then the optional header, whose
    // magic says PE32 (0x10b) or PE32+ (0x20b).
    const std::size_t optional = pe + 24;
    if (pe > file.size() || file.size() - pe < 24 + 2 || file.substr(pe, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    const std::uint32_t magic = Le(file, optional, 2);
    // The data directories follow the fixed part of the optional header;
    // the certificate table is the fifth.
    const std::size_t directories = optional + (magic == 0x20b ? 112 : magic == 0x10b ? 96 : 0);
    if (directories == optional || directories + 5 * 8 > file.size()) {
        return std::nullopt;
    }
    const std::size_t directoryCount = Le(file, directories - 4, 4);
    PeLayout layout;
    layout.checksumOffset = optional + 64;
    layout.tableEntryOffset = directories + 4 * 8;
    if (directoryCount > 4) {
        layout.tableOffset = Le(file, layout.tableEntryOffset, 4);
        layout.tableSize = Le(file, layout.tableEntryOffset + 4, 4);
    }
    if (layout.tableSize != 0 &&
        (layout.tableOffset > file.size() || file.size() - layout.tableOffset < layout.tableSize)) {
        layout.tableSize = 0;
        layout.tableOffset = 0;
    }
    return layout;
}

// ---- DER, as PKCS #7 and X.509 write it. ----

struct Der {
    unsigned char tag = 0;
    std::string_view content;
    // Everything of the element, header included.
    std::string_view whole;
};

// The element at the start of `bytes`; nullopt for a damaged or indefinite
// length. `bytes` is advanced past it.
std::optional<Der> Next(std::string_view& bytes) {
    if (bytes.size() < 2) {
        return std::nullopt;
    }
    Der der;
    der.tag = static_cast<unsigned char>(bytes[0]);
    std::size_t length = static_cast<unsigned char>(bytes[1]);
    std::size_t header = 2;
    if (length & 0x80) {
        const std::size_t count = length & 0x7f;
        if (count == 0 || count > 4 || bytes.size() < 2 + count) {
            return std::nullopt;
        }
        length = 0;
        for (std::size_t i = 0; i < count; ++i) {
            length = (length << 8) | static_cast<unsigned char>(bytes[2 + i]);
        }
        header += count;
    }
    if (bytes.size() - header < length) {
        return std::nullopt;
    }
    der.content = bytes.substr(header, length);
    der.whole = bytes.substr(0, header + length);
    bytes.remove_prefix(header + length);
    return der;
}

// The children of a constructed element.
std::vector<Der> Children(std::string_view content) {
    std::vector<Der> children;
    while (!content.empty()) {
        const auto child = Next(content);
        if (!child) {
            return {};
        }
        children.push_back(*child);
    }
    return children;
}

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kSet = 0x31;
constexpr unsigned char kOid = 0x06;
constexpr unsigned char kOctetString = 0x04;
constexpr unsigned char kInteger = 0x02;
constexpr unsigned char kContext0 = 0xa0;

std::string OidText(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const unsigned first = static_cast<unsigned char>(bytes[0]);
    std::string text = std::to_string(first / 40) + "." + std::to_string(first % 40);
    std::uint64_t value = 0;
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        value = (value << 7) | (byte & 0x7f);
        if ((byte & 0x80) == 0) {
            text += "." + std::to_string(value);
            value = 0;
        }
    }
    return text;
}

// The short names of the name attributes a publisher's certificate uses.
std::string AttributeName(const std::string& oid) {
    static const std::pair<const char*, const char*> names[] = {
        {"2.5.4.3", "CN"}, {"2.5.4.10", "O"}, {"2.5.4.11", "OU"}, {"2.5.4.6", "C"},
        {"2.5.4.7", "L"},  {"2.5.4.8", "ST"}, {"2.5.4.9", "STREET"},
        {"1.2.840.113549.1.9.1", "E"}};
    for (const auto& [known, name] : names) {
        if (oid == known) {
            return name;
        }
    }
    return oid;
}

// A Name (a sequence of sets of type and value) as "CN=…, O=…".
std::string NameText(const Der& name) {
    std::string text;
    for (const Der& set : Children(name.content)) {
        for (const Der& pair : Children(set.content)) {
            const auto parts = Children(pair.content);
            if (parts.size() != 2 || parts[0].tag != kOid) {
                continue;
            }
            text += (text.empty() ? "" : ", ") + AttributeName(OidText(parts[0].content)) + "=" +
                    std::string(parts[1].content);
        }
    }
    return text;
}

// The subject of the certificate among `certificates` whose issuer and
// serial number are those of the signer.
std::string SignerSubject(const std::vector<Der>& certificates, const Der& issuerAndSerial) {
    const auto wanted = Children(issuerAndSerial.content);
    if (wanted.size() != 2) {
        return {};
    }
    for (const Der& certificate : certificates) {
        const auto parts = Children(certificate.content);
        if (parts.empty()) {
            continue;
        }
        // TBSCertificate: [0] version (optional), serial, signature
        // algorithm, issuer, validity, subject, ...
        auto fields = Children(parts[0].content);
        if (!fields.empty() && fields[0].tag == kContext0) {
            fields.erase(fields.begin());
        }
        if (fields.size() >= 5 && fields[0].tag == kInteger && fields[0].whole == wanted[1].whole &&
            fields[2].whole == wanted[0].whole) {
            return NameText(fields[4]);
        }
    }
    return {};
}

// Reads the PKCS #7 SignedData of a certificate table entry.
std::optional<Signature> ParseSignedData(std::string_view pkcs7) {
    const auto contentInfo = Next(pkcs7);
    if (!contentInfo || contentInfo->tag != kSequence) {
        return std::nullopt;
    }
    const auto outer = Children(contentInfo->content);
    // signedData (1.2.840.113549.1.7.2), [0] SignedData.
    if (outer.size() < 2 || OidText(outer[0].content) != "1.2.840.113549.1.7.2" ||
        outer[1].tag != kContext0) {
        return std::nullopt;
    }
    const auto wrapped = Children(outer[1].content);
    if (wrapped.size() != 1 || wrapped[0].tag != kSequence) {
        return std::nullopt;
    }
    // version, digestAlgorithms, contentInfo, [0] certificates, [1] crls,
    // signerInfos.
    const auto signedData = Children(wrapped[0].content);
    if (signedData.size() < 4 || signedData[2].tag != kSequence) {
        return std::nullopt;
    }
    // SpcIndirectDataContent (1.3.6.1.4.1.311.2.1.4): data, then the
    // DigestInfo: the algorithm and the digest of the file.
    const auto content = Children(signedData[2].content);
    if (content.size() != 2 || OidText(content[0].content) != "1.3.6.1.4.1.311.2.1.4" ||
        content[1].tag != kContext0) {
        return std::nullopt;
    }
    const auto indirect = Children(content[1].content);
    if (indirect.size() != 1) {
        return std::nullopt;
    }
    const auto indirectFields = Children(indirect[0].content);
    if (indirectFields.size() != 2) {
        return std::nullopt;
    }
    const auto digestInfo = Children(indirectFields[1].content);
    if (digestInfo.size() != 2 || digestInfo[1].tag != kOctetString) {
        return std::nullopt;
    }
    const auto algorithm = Children(digestInfo[0].content);
    if (algorithm.empty() || algorithm[0].tag != kOid) {
        return std::nullopt;
    }
    Signature signature;
    signature.digestOid = OidText(algorithm[0].content);
    signature.signedDigest = std::string(digestInfo[1].content);

    std::vector<Der> certificates;
    for (std::size_t i = 3; i < signedData.size(); ++i) {
        if (signedData[i].tag == kContext0) {
            certificates = Children(signedData[i].content);
        }
    }
    const Der& signerInfos = signedData.back();
    if (signerInfos.tag == kSet) {
        const auto signers = Children(signerInfos.content);
        if (!signers.empty()) {
            const auto signer = Children(signers[0].content);
            if (signer.size() >= 2 && signer[1].tag == kSequence) {
                signature.subject = SignerSubject(certificates, signer[1]);
            }
        }
    }
    return signature;
}

} // namespace

Reading Read(std::string_view file) {
    Reading reading;
    const auto layout = LayoutOf(file);
    if (!layout) {
        return reading;
    }
    if (layout->tableSize == 0) {
        reading.kind = Reading::Kind::Unsigned;
        return reading;
    }
    reading.kind = Reading::Kind::Unreadable;
    // WIN_CERTIFICATE: length, revision, type (2: PKCS #7 SignedData), then
    // the signature.
    const std::string_view table = file.substr(layout->tableOffset, layout->tableSize);
    if (table.size() < 8) {
        return reading;
    }
    const std::size_t length = Le(table, 0, 4);
    if (Le(table, 6, 2) != 2 || length < 8 || length > table.size()) {
        return reading;
    }
    if (const auto signature = ParseSignedData(table.substr(8, length - 8))) {
        reading.kind = Reading::Kind::Signed;
        reading.signature = *signature;
    }
    return reading;
}

std::optional<std::string> FileDigest(std::string_view file, std::string_view digestOid) {
    const auto layout = LayoutOf(file);
    auto digest = Digest::ForOid(digestOid);
    if (!layout || !digest) {
        return std::nullopt;
    }
    const std::size_t end = layout->tableSize != 0 ? layout->tableOffset : file.size();
    if (layout->tableEntryOffset + 8 > end) {
        return std::nullopt;
    }
    digest->Update(file.substr(0, layout->checksumOffset));
    digest->Update(file.substr(layout->checksumOffset + 4,
                               layout->tableEntryOffset - layout->checksumOffset - 4));
    digest->Update(file.substr(layout->tableEntryOffset + 8, end - layout->tableEntryOffset - 8));
    return digest->Final();
}

std::string DigestName(std::string_view digestOid) {
    if (digestOid == "2.16.840.1.101.3.4.2.1") {
        return "SHA-256";
    }
    if (digestOid == "1.3.14.3.2.26") {
        return "SHA-1";
    }
    return std::string(digestOid);
}

} // namespace authenticode
