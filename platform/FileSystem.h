#pragma once

#include <string>

namespace platform {

// Plain file services on UTF-8 paths. None of them throws.

// True when `path` names a file that is not a folder (links are followed).
bool FileExists(const std::string& path);

// True when `path` names a folder (links are followed).
bool DirectoryExists(const std::string& path);

// Reads the whole file into `contents`. False when it cannot be opened or
// read; `reason` then holds the system's reason.
bool ReadWholeFile(const std::string& path, std::string& contents, std::string& reason);

// Creates or truncates the file and writes `contents` into it. False when the
// file cannot be created or written; `reason` then holds the system's reason.
bool WriteWholeFile(const std::string& path, const std::string& contents, std::string& reason);

// `path` made absolute against the current folder (unchanged when it is
// absolute already); "" stays "".
std::string AbsolutePath(const std::string& path);

// Makes `path` the process's current folder. False when it cannot; `reason`
// then holds the system's reason.
bool ChangeCurrentFolder(const std::string& path, std::string& reason);

// The folder for temporary files, without a trailing separator: TEMP's
// folder on Windows (GetTempPath), TMPDIR when set and not empty, else
// "/tmp", on Linux.
std::string TemporaryFolder();

} // namespace platform
