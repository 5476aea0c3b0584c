#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

// What stands at a name inside the extraction folder. Links are never
// followed: a link is Other, whatever it points at.
enum class ItemKind { Missing, Folder, Other };

struct ItemState {
    ItemKind kind = ItemKind::Missing;
    std::int64_t mtimeSeconds = 0;
    std::uint32_t mtimeNanoseconds = 0;
};

// A file being written in its folder without a visible name. Destroying it
// before Commit removes every trace of it.
class OutputFile {
public:
    virtual ~OutputFile() = default;

    virtual bool Write(const void* data, std::size_t size, std::string& error) = 0;

    // Sets the modification time and gives the file `name` in its folder.
    // With `replace` an existing item of that name (never a folder) is
    // replaced in one step; without it the commit fails when the name
    // exists. After a failed commit the file is gone and an existing item is
    // untouched.
    virtual bool Commit(const std::string& name, std::int64_t seconds, std::uint32_t nanoseconds,
                        bool replace, std::string& error) = 0;
};

// The extraction folder. Every path is a list of folder names below it,
// each already checked to be a plain name (no separators, "." or "..").
// Nothing outside the folder is ever created, changed or removed: folders
// are entered one by one without following links, and a link or a file
// where a folder is needed is an error.
class TargetFolder {
public:
    virtual ~TargetFolder() = default;

    // Reports what stands at `name` in `folders`; a missing folder on the
    // way means Missing. False only when something on the way is not a
    // folder or cannot be read.
    virtual bool Inspect(const std::vector<std::string>& folders, const std::string& name,
                         ItemState& state, std::string& error) = 0;

    // Creates the folders that are missing; the last one gets `lastMode`
    // (permission bits, reduced by the process's umask), the others 0777.
    virtual bool MakeFolders(const std::vector<std::string>& folders, unsigned lastMode,
                             std::string& error) = 0;

    // Starts a new file with permission bits `mode` (reduced by the umask)
    // in `folders`, creating missing folders.
    virtual std::unique_ptr<OutputFile> CreateFile(const std::vector<std::string>& folders,
                                                   unsigned mode, std::string& error) = 0;

    // Writes everything written so far through to the disk.
    virtual bool Flush(std::string& error) = 0;

    virtual bool SetFolderTime(const std::vector<std::string>& folders, std::int64_t seconds,
                               std::uint32_t nanoseconds, std::string& error) = 0;
};

// Opens the existing folder at `path` (empty: the current folder). Null
// with the system's reason in `error` when it cannot be opened.
std::unique_ptr<TargetFolder> OpenTargetFolder(const std::string& path, std::string& error);

} // namespace engine
