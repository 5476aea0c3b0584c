// Stand-in for a program the wizard starts (the reader installer, a tool):
// writes "ran" into a file named "ran" beside itself and ends with exit
// code 5, whatever its arguments.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string mark(path, length);
    mark = mark.substr(0, mark.find_last_of('\\') + 1) + "ran";
    if (std::FILE* file = std::fopen(mark.c_str(), "wb")) {
        std::fputs("ran\n", file);
        std::fclose(file);
    }
    return 5;
}
