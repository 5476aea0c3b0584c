#pragma once

#include <string>

#include "engine/ByteSource.h"
#include "engine/Extractor.h"
#include "engine/Reporter.h"

namespace engine {

// Extracts the archive read from `archive` (named `archiveName` in
// messages) into the folder at `folderPath`. A failure of the whole archive
// is reported as one message (action 4) and returned as a negative UNZ_
// code; otherwise the result of the batch: the number of failed entries, or
// UNZ_CANCELLED.
int ExtractArchive(ByteSource& archive, const std::string& archiveName,
                   const std::string& folderPath, Reporter& reporter, ExtractOptions options);

// The same for the archive file at `archiveName`; UNZ_NO_ARCHIVE when it
// cannot be opened.
int ExtractArchiveFile(const std::string& archiveName, const std::string& folderPath,
                       Reporter& reporter, ExtractOptions options);

} // namespace engine
