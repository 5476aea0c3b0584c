// A process of its own for the engine tests that need one:
//
//   engine_test_helper extract ARCHIVE FOLDER
//       extracts, replacing existing files; prints "result=N", every
//       message, and "maxrss_kib=N", the peak working set of the process.
//   engine_test_helper die ARCHIVE FOLDER
//       ends itself with TerminateProcess at the second progress report,
//       as a killed process ends: no destructor runs and no handle is
//       closed by the program.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>

#include "engine/UnzDll.h"

namespace {

bool g_die = false;
int g_progress = 0;

int32_t UNZ_CALL Answer(UnzCallbackInfo* info) {
    switch (info->action) {
    case UNZ_ACTION_MESSAGE:
        std::printf("message: %s\n", info->text);
        break;
    case UNZ_ACTION_OVERWRITE:
        info->number = 1;
        break;
    case UNZ_ACTION_PROGRESS:
        if (g_die && ++g_progress == 2) {
            ::TerminateProcess(::GetCurrentProcess(), 9);
        }
        break;
    default:
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s extract|die ARCHIVE FOLDER\n", argv[0]);
        return 2;
    }
    g_die = std::strcmp(argv[1], "die") == 0;
    UnzParams params{};
    params.version = UNZ_INTERFACE_VERSION;
    params.callback = Answer;
    params.folderNames = -1;
    params.overwriteExisting = -1;
    params.extractAll = -1;
    params.archiveName = argv[2];
    params.check3 = 3;
    params.extractFolder = argv[3];
    params.check7 = 7;
    int result = UnzDllExec(&params);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    std::printf("result=%d\nmaxrss_kib=%llu\n", result,
                static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
    return 0;
}
