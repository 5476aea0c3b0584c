// Extracts one archive through the engine's C interface, as the archive
// component would with the option set {16}: existing files are replaced,
// passwords are not known, damaged entries are discarded.
//
//     engine_driver ARCHIVE FOLDER
#include <cstdio>
#include <string>

#include "engine/UnzDll.h"

namespace {

std::int32_t UNZ_CALL Answer(UnzCallbackInfo* info) {
    switch (info->action) {
    case UNZ_ACTION_MESSAGE:
        std::fprintf(stderr, "%s\n", info->text);
        break;
    case UNZ_ACTION_OVERWRITE:
        info->number = 1;
        break;
    case UNZ_ACTION_PASSWORD:
    case UNZ_ACTION_DAMAGED:
        info->flag = 0;
        break;
    default:
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ARCHIVE FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = std::string(argv[2]) + "/";
    UnzParams params{};
    params.version = UNZ_INTERFACE_VERSION;
    params.callback = Answer;
    params.folderNames = -1;
    params.overwriteExisting = -1;
    params.extractAll = -1;
    params.archiveName = argv[1];
    params.check3 = 3;
    params.extractFolder = folder.c_str();
    params.check7 = 7;
    int result = UnzDllExec(&params);
    if (result != 0) {
        std::fprintf(stderr, "engine result %d\n", result);
    }
    return result == 0 ? 0 : 1;
}
