// The control of the library search tests: shows what Windows (here Wine)
// loads when a program asks for a library by its bare name.
//
//   library_search_control [--restricted] NAME...
//   library_search_control --from FOLDER NAME
//
// The first form loads each NAME by bare name, after the start-up
// restriction the wizard makes (platform::RestrictLibrarySearch) when
// --restricted is given, and prints where each came from. The second makes
// FOLDER the current folder first, as the extraction does, and loads NAME by
// bare name with the default search.

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/DynamicLibrary.h"

namespace {

void LoadAndTell(const char* name) {
    HMODULE module = LoadLibraryA(name);
    char path[MAX_PATH] = "not loaded";
    if (module != nullptr) {
        GetModuleFileNameA(module, path, MAX_PATH);
    }
    std::printf("%s: %s\n", name, path);
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    if (argc == 4 && std::string(argv[1]) == "--from") {
        if (!SetCurrentDirectoryA(argv[2])) {
            std::printf("cannot enter %s\n", argv[2]);
            return 1;
        }
        LoadAndTell(argv[3]);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "--restricted") {
        platform::RestrictLibrarySearch();
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
        LoadAndTell(argv[i]);
    }
    return 0;
}
