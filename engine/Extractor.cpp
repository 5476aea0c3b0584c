#include "engine/Extractor.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "engine/LocalHeader.h"
#include "engine/UnzDll.h"
#include "zipformat/ZipFormat.h"

namespace engine {

using namespace zipformat;

namespace {

// Unix file type bits in the high half of the external attributes.
constexpr std::uint32_t kUnixTypeMask = 0170000;
constexpr std::uint32_t kUnixFolder = 0040000;
constexpr std::uint32_t kUnixRegular = 0100000;
constexpr std::uint32_t kUnixLink = 0120000;
constexpr std::uint32_t kDosReadOnly = 0x01;
constexpr std::uint32_t kDosFolder = 0x10;

std::int32_t Clamp(std::uint64_t value) {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(value, INT32_MAX));
}

bool FromUnix(const Entry& entry) {
    return entry.Host() == kHostUnix || entry.Host() == kHostOsx;
}

std::uint32_t UnixMode(const Entry& entry) {
    return entry.externalAttributes >> 16;
}

// Whether the existing file is older than the entry. DOS times have a
// 2-second step, so the file's time is rounded up to it first.
bool ExistingIsOlder(const ItemState& existing, const Entry& entry) {
    if (entry.hasExactTime) {
        return existing.mtimeSeconds < entry.mtimeSeconds ||
               (existing.mtimeSeconds == entry.mtimeSeconds &&
                existing.mtimeNanoseconds < entry.mtimeNanoseconds);
    }
    std::int64_t seconds = existing.mtimeSeconds + (existing.mtimeNanoseconds > 0 ? 1 : 0);
    seconds += seconds & 1;
    return seconds < entry.mtimeSeconds;
}

} // namespace

Extractor::Extractor(ByteSource& archive, const CentralDirectory& directory, TargetFolder& folder,
                     Reporter& reporter, zipformat::NameDecoder& names, ExtractOptions options)
    : m_archive(archive), m_directory(directory), m_folder(folder), m_reporter(reporter),
      m_names(names), m_options(std::move(options)), m_data(archive), m_stored(MakeStoredDecoder()),
      m_inflater(MakeInflater()) {}

int Extractor::Run() {
    const auto& entries = m_directory.Entries();
    std::vector<std::size_t> batch;
    std::uint64_t total = 0; // saturates at INT64_MAX
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!m_options.fileSpecs.empty()) {
            std::string name = DecodeEntryName(m_directory, entries[i], m_names);
            bool selected =
                std::any_of(m_options.fileSpecs.begin(), m_options.fileSpecs.end(),
                            [&](const std::string& spec) { return MatchesFileSpec(name, spec); });
            if (!selected) {
                continue;
            }
        }
        batch.push_back(i);
        total += std::min<std::uint64_t>(entries[i].uncompressedSize, INT64_MAX - total);
    }
    if (!Send(UNZ_ACTION_BATCH_COUNT, Clamp(batch.size())) ||
        !Send(UNZ_ACTION_BATCH_BYTES, Clamp(total))) {
        return -1;
    }
    int failed = 0;
    bool stopped = false;
    for (std::size_t index : batch) {
        Outcome outcome = ProcessEntry(index);
        if (outcome == Outcome::Stopped) {
            stopped = true;
            break;
        }
        if (outcome == Outcome::Failed) {
            ++failed;
        }
    }
    std::string ignored;
    for (const FolderTime& time : m_folderTimes) {
        m_folder.SetFolderTime(time.folders, time.seconds, time.nanoseconds, ignored);
    }
    // Replaced files are not flushed one by one, which made extracting over
    // an installed copy twenty times slower; the batch is flushed once.
    if (m_replacedFiles) {
        m_folder.Flush(ignored);
    }
    if (stopped || !Send(UNZ_ACTION_END_BATCH, 0)) {
        return -1;
    }
    return failed;
}

Extractor::Outcome Extractor::ProcessEntry(std::size_t index) {
    const Entry& entry = m_directory.Entries()[index];
    std::string name = DecodeEntryName(m_directory, entry, m_names);
    std::string shownName = DisplayName(name);
    if (!Send(UNZ_ACTION_BEGIN_ENTRY, Clamp(entry.uncompressedSize), shownName)) {
        return Outcome::Stopped;
    }
    EntryPath path;
    std::string refusal = SplitEntryName(name, path);
    if (!refusal.empty()) {
        return Refuse(shownName, refusal);
    }
    std::uint32_t type = FromUnix(entry) ? UnixMode(entry) & kUnixTypeMask : 0;
    if (type == kUnixLink) {
        return Refuse(shownName, "it is a symbolic link, and links are never extracted");
    }
    bool folderByAttributes = FromUnix(entry) ? type == kUnixFolder
                                              : (entry.externalAttributes & kDosFolder) != 0 &&
                                                    entry.uncompressedSize == 0;
    if (!path.isFolder && folderByAttributes) {
        path.folders.push_back(std::move(path.leaf));
        path.leaf.clear();
        path.isFolder = true;
    }
    if (path.isFolder) {
        return ProcessFolder(entry, shownName, path);
    }
    if (type != 0 && type != kUnixRegular) {
        return Refuse(shownName, "it is a special file (a device, pipe or socket)");
    }
    return ProcessFile(index, shownName, path);
}

Extractor::Outcome Extractor::ProcessFolder(const Entry& entry, const std::string& shownName,
                                            const EntryPath& path) {
    if (!m_options.folderNames) {
        return Skip();
    }
    if (path.folders.empty()) {
        return Outcome::Extracted;
    }
    std::string error;
    if (m_options.existing == ExistingFiles::Freshen) {
        std::vector<std::string> parent(path.folders.begin(), path.folders.end() - 1);
        ItemState existing;
        if (!m_folder.Inspect(parent, path.folders.back(), existing, error)) {
            return Refuse(shownName, error);
        }
        if (existing.kind != ItemKind::Folder) {
            return Skip();
        }
    }
    unsigned mode = FromUnix(entry) ? ((UnixMode(entry) & 0777) | 0700) : 0777;
    if (!m_folder.MakeFolders(path.folders, mode, error)) {
        return Refuse(shownName, error);
    }
    m_folderTimes.push_back({path.folders, entry.mtimeSeconds, entry.mtimeNanoseconds});
    return Outcome::Extracted;
}

Decoder* Extractor::DecoderFor(std::uint16_t method) {
    switch (method) {
    case kMethodStored:
        return m_stored.get();
    case kMethodDeflated:
        return m_inflater.get();
    case kMethodBzip2:
        if (!m_bzip2) {
            m_bzip2 = MakeBzip2Decoder();
        }
        return m_bzip2.get();
    case kMethodLzma:
        if (!m_lzma) {
            m_lzma = MakeLzmaDecoder();
        }
        return m_lzma.get();
    default:
        return nullptr;
    }
}

Extractor::Outcome Extractor::ProcessFile(std::size_t index, const std::string& shownName,
                                          const EntryPath& path) {
    const Entry& entry = m_directory.Entries()[index];
    const std::vector<std::string> noFolders;
    const std::vector<std::string>& folders = m_options.folderNames ? path.folders : noFolders;

    if ((entry.flags & kFlagStrongEncryption) != 0) {
        return Refuse(shownName, "it uses PKWARE strong encryption, which is not supported");
    }
    bool aes = entry.method == kMethodAes;
    if (aes && (entry.aesStrength < 1 || entry.aesStrength > 3 || !entry.IsEncrypted())) {
        return Refuse(shownName, "its AES encryption field is missing or invalid");
    }
    if (aes && !WinZipAesAvailable()) {
        return Refuse(shownName,
                      "it uses WinZip AES encryption, which this engine was built without");
    }
    std::uint16_t method = aes ? entry.aesMethod : entry.method;
    Decoder* decoder = DecoderFor(method);
    if (decoder == nullptr) {
        return Refuse(shownName,
                      "its compression method " + std::to_string(method) + " is not supported");
    }
    LocalData local;
    std::string refusal = ReadLocalHeader(m_archive, m_directory, index, local);
    if (!refusal.empty()) {
        return Refuse(shownName, refusal);
    }

    ItemState existing;
    std::string error;
    if (!m_folder.Inspect(folders, path.leaf, existing, error)) {
        return Refuse(shownName, error);
    }
    bool replace = false;
    if (existing.kind == ItemKind::Folder) {
        return Refuse(shownName, "a folder of that name exists");
    }
    if (existing.kind == ItemKind::Missing && m_options.existing == ExistingFiles::Freshen) {
        return Skip();
    }
    if (existing.kind == ItemKind::Other) {
        if (m_options.existing == ExistingFiles::Keep) {
            return Skip();
        }
        std::int32_t flag = ExistingIsOlder(existing, entry) ? 1 : 0;
        std::int32_t answer = 0;
        std::string text = shownName;
        if (!Send(UNZ_ACTION_OVERWRITE, flag, answer, text)) {
            return Outcome::Stopped;
        }
        if (answer != 1) {
            return Skip();
        }
        replace = true;
    }

    unsigned mode = FromUnix(entry)
                        ? UnixMode(entry) & 0777
                        : ((entry.externalAttributes & kDosReadOnly) != 0 ? 0444 : 0666);
    // Traditional encryption checks a password with one byte, so about one
    // entry in 256 "opens" with a password kept from another entry and then
    // fails its checksum. Such a password is set aside for this entry and
    // the user is asked for the right one before the data counts as damaged.
    std::set<std::string> rejected;
    std::unique_ptr<OutputFile> output;
    std::string damage;
    for (;;) {
        std::unique_ptr<Decryptor> decryptor;
        std::string password;
        bool kept = false;
        if (entry.IsEncrypted()) {
            Outcome unlocked = Unlock(entry, local.start, shownName, rejected, decryptor, password, kept);
            if (unlocked != Outcome::Extracted) {
                return unlocked;
            }
        }
        output.reset();
        const Outcome written =
            WriteData(entry, local, decoder, decryptor.get(), folders, mode, shownName, output, damage);
        if (written != Outcome::Extracted) {
            return written;
        }
        if (damage.empty() || !kept) {
            break;
        }
        rejected.insert(password);
        damage.clear();
    }
    if (damage.empty()) {
        damage = local.contradiction;
    }
    if (!damage.empty()) {
        std::int32_t keep = 0;
        std::int32_t number = 0;
        std::string text = shownName;
        if (!Send(UNZ_ACTION_DAMAGED, keep, number, text)) {
            return Outcome::Stopped;
        }
        if (keep != 1) {
            return Refuse(shownName, "it is damaged (" + damage + ")");
        }
    }
    if (!output->Commit(path.leaf, entry.mtimeSeconds, entry.mtimeNanoseconds, replace, error)) {
        return Refuse(shownName, "it cannot be written: " + error);
    }
    m_replacedFiles = m_replacedFiles || replace;
    return Outcome::Extracted;
}

Extractor::Outcome Extractor::WriteData(const Entry& entry, const LocalData& local, Decoder* decoder,
                                        Decryptor* decryptor,
                                        const std::vector<std::string>& folders, unsigned mode,
                                        const std::string& shownName,
                                        std::unique_ptr<OutputFile>& output, std::string& damage) {
    bool aes = entry.method == kMethodAes;
    DataPlan plan;
    std::uint64_t header = decryptor ? decryptor->HeaderSize() : 0;
    std::uint64_t trailer = decryptor ? decryptor->TrailerSize() : 0;
    plan.start = local.start + header;
    plan.size = entry.compressedSize - header - trailer;
    plan.uncompressedSize = entry.uncompressedSize;
    plan.crc = entry.crc;
    plan.checkCrc = !(aes && entry.aesVersion == 2);
    plan.decoder = decoder;
    plan.decryptor = decryptor;

    std::string error;
    output = m_folder.CreateFile(folders, mode, error);
    if (!output) {
        return Refuse(shownName, error);
    }

    std::uint64_t pending = 0;
    auto lastReport = std::chrono::steady_clock::now();
    auto progress = [&](std::uint64_t bytes) {
        pending += bytes;
        auto now = std::chrono::steady_clock::now();
        if (pending < kProgressStep &&
            now - lastReport < std::chrono::milliseconds(kProgressMilliseconds)) {
            return true;
        }
        lastReport = now;
        std::int32_t number = Clamp(pending);
        pending = 0;
        return Send(UNZ_ACTION_PROGRESS, number);
    };
    std::string message;
    EntryData::Result result = m_data.Extract(plan, *output, progress, message);
    if (result == EntryData::Result::Stopped ||
        (pending > 0 && !Send(UNZ_ACTION_PROGRESS, Clamp(pending)))) {
        return Outcome::Stopped;
    }
    if (result == EntryData::Result::WriteFailed) {
        return Refuse(shownName, "it cannot be written: " + message);
    }
    if (result == EntryData::Result::ReadFailed) {
        return Refuse(shownName, "the archive cannot be read: " + message);
    }
    damage = result == EntryData::Result::Damaged ? message : std::string();
    if (damage.empty() && decryptor && trailer > 0) {
        std::vector<unsigned char> code(trailer);
        if (!m_archive.ReadExactly(local.start + entry.compressedSize - trailer, code.data(),
                                   code.size()) ||
            !decryptor->Authenticate(code.data(), code.size())) {
            damage = "its authentication code does not match";
        }
    }
    return Outcome::Extracted;
}

Extractor::Outcome Extractor::Unlock(const Entry& entry, std::uint64_t dataStart,
                                     const std::string& shownName,
                                     const std::set<std::string>& rejected,
                                     std::unique_ptr<Decryptor>& decryptor, std::string& password,
                                     bool& kept) {
    bool aes = entry.method == kMethodAes;
    std::size_t header = aes ? WinZipAesHeaderSize(entry.aesStrength) : kZipCryptoHeaderSize;
    std::size_t trailer = aes ? 10 : 0;
    std::vector<unsigned char> bytes(header);
    if (entry.compressedSize < header + trailer ||
        !m_archive.ReadExactly(dataStart, bytes.data(), header)) {
        return Refuse(shownName, "its encryption header is missing");
    }
    std::uint8_t check = (entry.flags & kFlagDataDescriptor) != 0
                             ? static_cast<std::uint8_t>(entry.dosTime >> 8)
                             : static_cast<std::uint8_t>(entry.crc >> 24);
    auto attempt = [&](const std::string& password) {
        decryptor = aes ? TryWinZipAes(password, entry.aesStrength, bytes.data())
                        : TryZipCrypto(password, bytes.data(), check);
        return decryptor != nullptr;
    };
    kept = true;
    for (auto known = m_options.passwords.rbegin(); known != m_options.passwords.rend(); ++known) {
        if (!rejected.contains(*known) && attempt(*known)) {
            password = *known;
            return Outcome::Extracted;
        }
    }
    kept = false;
    // After a kept password failed the data, the request is a retry.
    std::int32_t tries = rejected.empty() ? UNZ_PASSWORD_FIRST_REQUEST : UNZ_PASSWORD_FIRST_REQUEST - 1;
    for (;;) {
        std::int32_t flag = 0;
        std::int32_t number = tries;
        std::string text = shownName;
        if (!Send(UNZ_ACTION_PASSWORD, flag, number, text)) {
            return Outcome::Stopped;
        }
        if (flag != 1) {
            // No password given: the entry is left out, which is a failure
            // of the extraction, not a choice like keeping an existing file.
            return Refuse(shownName, "a password is needed");
        }
        if (attempt(text)) {
            m_options.passwords.push_back(text);
            password = text;
            return Outcome::Extracted;
        }
        tries = std::min(number, tries - 1);
        if (tries <= 0) {
            return Refuse(shownName, "the password is wrong");
        }
    }
}

bool Extractor::Send(int action, std::int32_t& flag, std::int32_t& number, std::string& text) {
    if (m_stopped) {
        return false;
    }
    if (!m_reporter.Call(action, flag, number, text)) {
        m_stopped = true;
    }
    return !m_stopped;
}

bool Extractor::Send(int action, std::int32_t number, std::string text) {
    std::int32_t flag = 0;
    return Send(action, flag, number, text);
}

Extractor::Outcome Extractor::Refuse(const std::string& shownName, const std::string& reason) {
    if (!Send(UNZ_ACTION_MESSAGE, 0, "\"" + shownName + "\" was not extracted: " + reason)) {
        return Outcome::Stopped;
    }
    return Skip() == Outcome::Stopped ? Outcome::Stopped : Outcome::Failed;
}

Extractor::Outcome Extractor::Skip() {
    return Send(UNZ_ACTION_SKIPPED, 0) ? Outcome::Skipped : Outcome::Stopped;
}

} // namespace engine
