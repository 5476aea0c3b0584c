// vg-medium-check FOLDER: lists what a customer would meet on the
// installation medium in FOLDER.

#include <iostream>
#include <string>
#include <vector>

#include "checker/MediumCheck.h"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return RunMediumCheck(args, std::cout);
}
