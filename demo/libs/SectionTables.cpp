// A small library shipped on the demo medium: steel section tables the
// installed program looks up by name.

#include <cstring>

extern "C" {

struct VgSection {
    const char* name;
    double heightMm;
    double widthMm;
    double massKgPerM;
};

static const VgSection kSections[] = {
    {"IPE 200", 200.0, 100.0, 22.4},
    {"IPE 300", 300.0, 150.0, 42.2},
    {"HEA 200", 190.0, 200.0, 42.3},
    {"HEB 300", 300.0, 300.0, 117.0},
};

__attribute__((visibility("default"))) const VgSection* VgFindSection(const char* name) {
    for (const VgSection& section : kSections) {
        if (std::strcmp(section.name, name) == 0) {
            return &section;
        }
    }
    return nullptr;
}

}
