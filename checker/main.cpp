// vg-medium-check FOLDER: lists what a customer would meet on the
// installation medium in FOLDER.

#include <iostream>
#include <string>
#include <vector>

#include "checker/MediumCheck.h"
#include "platform/DynamicLibrary.h"

int main(int argc, char** argv) {
    // It loads the engine of the medium it checks, perhaps in a downloads
    // folder: nothing is loaded by name from there.
    platform::RestrictLibrarySearch();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return RunMediumCheck(args, std::cout);
}
