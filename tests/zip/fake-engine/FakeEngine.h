#pragma once

// The control side of the fake unzip engine that the extraction tests load
// in place of the real one. The fake exports the engine's two entry points
// and, with C linkage, the functions below; a test reaches them by loading
// the fake by the same bare name as the archive component does, which gives
// both the same library and the same state. The fake is built with the
// tests' compiler and library, so the records may hold C++ types.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/UnzDll.h"

namespace fake_engine {

// One callback the fake makes, with these values in the callback record.
// A text of 512 bytes or more fills the whole text field without a
// terminating zero.
struct Step {
    std::int32_t action = UNZ_ACTION_NONE;
    std::int32_t flag = 0;
    std::int32_t number = 0;
    std::string text;
};

// What the last UnzDllExec call was given. `params` is a byte copy of the
// record: its pointers are only to be compared, the texts they pointed to
// are copied beside it.
struct Record {
    int calls = 0; // UnzDllExec calls since the fake was loaded
    UnzParams params{};
    std::string archiveName;
    std::string extractFolder;
    std::vector<std::string> patterns; // the pattern of each element of the array
    bool patternPaddingZero = true;    // the other 68 bytes of every element
    std::string currentFolder;         // the process's current folder
};

// A callback record as the callback left it, and what the callback returned.
struct Reply {
    UnzCallbackInfo info{};
    std::int32_t returned = 0;
};

} // namespace fake_engine

extern "C" {
// Plays `steps` in every following UnzDllExec call, stopping after the
// first callback that returns non-zero when `stopOnNonZero` is set, and
// makes the call return `result`. Clears the replies.
using FakeEngineSetScriptFunction = void (*)(const fake_engine::Step* steps, std::int32_t count,
                                             bool stopOnNonZero, std::int32_t result);
// The record of the last UnzDllExec call (calls 0: none yet).
using FakeEngineRecordFunction = const fake_engine::Record* (*)();
// The replies to the callbacks made since the script was set.
using FakeEngineRepliesFunction = const std::vector<fake_engine::Reply>* (*)();
// How often GetUnzDllVersion was called since the fake was loaded.
using FakeEngineVersionQueriesFunction = int (*)();
}
