// Stand-in program for the process and shell tests:
//   ExitWith CODE [FILE]
// ends with exit code CODE (0 when it is missing); with FILE it first writes
// the command line it was started with into that file.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 2) {
        if (std::FILE* file = std::fopen(argv[2], "wb")) {
            const char* commandLine = ::GetCommandLineA();
            std::fwrite(commandLine, 1, std::strlen(commandLine), file);
            std::fclose(file);
        }
    }
    return argc > 1 ? static_cast<int>(std::strtol(argv[1], nullptr, 10)) : 0;
}
