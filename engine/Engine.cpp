#include "engine/Engine.h"

#include "engine/CentralDirectory.h"
#include "engine/EndRecord.h"
#include "platform/LocaleCodePage.h"
#include "zipformat/NameDecoder.h"
#include "engine/TargetFolder.h"
#include "engine/UnzDll.h"

namespace engine {

namespace {

int Fail(Reporter& reporter, int code, const std::string& message) {
    std::int32_t flag = 0;
    std::int32_t number = 0;
    std::string text = message;
    reporter.Call(UNZ_ACTION_MESSAGE, flag, number, text);
    return code;
}

} // namespace

int ExtractArchive(ByteSource& archive, const std::string& archiveName,
                   const std::string& folderPath, Reporter& reporter, ExtractOptions options) {
    std::string error;
    ArchiveLayout layout;
    switch (LocateCentralDirectory(archive, layout, error)) {
    case LayoutError::None:
        break;
    case LayoutError::MultiDisk:
        return Fail(reporter, UNZ_MULTI_DISK,
                    "\"" + archiveName + "\" is spread over several disks");
    case LayoutError::ReadFailed:
        return Fail(reporter, UNZ_NO_ARCHIVE,
                    "Cannot read the archive \"" + archiveName + "\": " + error);
    case LayoutError::NotZip:
        return Fail(reporter, UNZ_NOT_A_ZIP,
                    "\"" + archiveName + "\" is not a valid zip archive: " + error);
    }
    CentralDirectory directory;
    if (!directory.Read(archive, layout, error)) {
        return Fail(reporter, UNZ_NOT_A_ZIP,
                    "\"" + archiveName + "\" is not a valid zip archive: " + error);
    }
    auto folder = OpenTargetFolder(folderPath, error);
    if (!folder) {
        return Fail(reporter, UNZ_NO_FOLDER,
                    "Cannot open the extraction folder \"" + folderPath + "\": " + error);
    }
    // The code pages of the user's locale, as the archive component takes
    // them, so that both read every name alike.
    zipformat::NameDecoder names(platform::SystemOemCodePage(), platform::SystemAnsiCodePage());
    Extractor extractor(archive, directory, *folder, reporter, names, std::move(options));
    int result = extractor.Run();
    return result < 0 ? UNZ_CANCELLED : result;
}

int ExtractArchiveFile(const std::string& archiveName, const std::string& folderPath,
                       Reporter& reporter, ExtractOptions options) {
    std::string error;
    auto archive = OpenArchiveFile(archiveName, error);
    if (!archive) {
        return Fail(reporter, UNZ_NO_ARCHIVE,
                    "Cannot open the archive \"" + archiveName + "\": " + error);
    }
    return ExtractArchive(*archive, archiveName, folderPath, reporter, std::move(options));
}

} // namespace engine
