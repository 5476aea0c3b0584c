#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/ByteSource.h"
#include "engine/CentralDirectory.h"
#include "engine/Decoder.h"
#include "engine/EntryData.h"
#include "engine/EntryName.h"
#include "engine/LocalHeader.h"
#include "zipformat/NameDecoder.h"
#include "engine/Reporter.h"
#include "engine/TargetFolder.h"

namespace engine {

// How existing files are treated; see UnzDll.h for the record fields.
enum class ExistingFiles {
    Ask,     // extract everything, asking before replacing a file
    Update,  // as Ask (the caller answers from the age flag)
    Freshen, // only entries whose file exists, after asking
    Keep,    // never replace, never ask
};

struct ExtractOptions {
    ExistingFiles existing = ExistingFiles::Ask;
    bool folderNames = true;
    std::vector<std::string> fileSpecs;
    std::vector<std::string> passwords; // tried before asking
};

// One batch: every selected entry of an archive into the extraction folder,
// reported through the callback protocol.
class Extractor {
public:
    Extractor(ByteSource& archive, const CentralDirectory& directory, TargetFolder& folder,
              Reporter& reporter, zipformat::NameDecoder& names, ExtractOptions options);

    // Runs the batch. Returns the number of refused or failed entries, or
    // -1 when the caller stopped it.
    int Run();

    // Progress is reported after this many bytes, or after this long.
    static constexpr std::uint64_t kProgressStep = 256 * 1024;
    static constexpr int kProgressMilliseconds = 100;

private:
    enum class Outcome { Extracted, Skipped, Failed, Stopped };

    struct FolderTime {
        std::vector<std::string> folders;
        std::int64_t seconds;
        std::uint32_t nanoseconds;
    };

    Outcome ProcessEntry(std::size_t index);
    Outcome ProcessFolder(const Entry& entry, const std::string& shownName, const EntryPath& path);
    Outcome ProcessFile(std::size_t index, const std::string& shownName, const EntryPath& path);
    // Finds the decryptor of an encrypted entry: a kept password that passes
    // the entry's check and is not in `rejected` (then `kept`), else one the
    // user types. `password` is the one used.
    Outcome Unlock(const Entry& entry, std::uint64_t dataStart, const std::string& shownName,
                   const std::set<std::string>& rejected, std::unique_ptr<Decryptor>& decryptor,
                   std::string& password, bool& kept);
    // Writes the entry's data into a new unnamed `output`; `damage` tells
    // why the data failed its checksum or authentication (empty when it
    // passed). Stopped or Failed (reported) when it could not be written.
    Outcome WriteData(const Entry& entry, const LocalData& local, Decoder* decoder,
                      Decryptor* decryptor, const std::vector<std::string>& folders, unsigned mode,
                      const std::string& shownName, std::unique_ptr<OutputFile>& output,
                      std::string& damage);
    Decoder* DecoderFor(std::uint16_t method);

    bool Send(int action, std::int32_t& flag, std::int32_t& number, std::string& text);
    bool Send(int action, std::int32_t number, std::string text = {});
    Outcome Refuse(const std::string& shownName, const std::string& reason);
    Outcome Skip();

    ByteSource& m_archive;
    const CentralDirectory& m_directory;
    TargetFolder& m_folder;
    Reporter& m_reporter;
    zipformat::NameDecoder& m_names;
    ExtractOptions m_options;
    EntryData m_data;
    std::unique_ptr<Decoder> m_stored;
    std::unique_ptr<Decoder> m_inflater;
    std::unique_ptr<Decoder> m_bzip2;
    std::unique_ptr<Decoder> m_lzma;
    std::vector<FolderTime> m_folderTimes;
    bool m_stopped = false;
    bool m_replacedFiles = false;
};

} // namespace engine
