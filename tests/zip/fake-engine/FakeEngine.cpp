// A stand-in for the unzip engine: it extracts nothing, records what the
// archive component hands it and plays a scripted sequence of callbacks.
// Built three times: as the engine, as an engine older than the component
// accepts (FAKE_ENGINE_VERSION) and as one without UnzDllExec
// (FAKE_ENGINE_NO_EXEC).

#include "FakeEngine.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#ifndef FAKE_ENGINE_VERSION
#define FAKE_ENGINE_VERSION 160
#endif

#define FAKE_ENGINE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct State {
    std::vector<fake_engine::Step> script;
    bool stopOnNonZero = false;
    std::int32_t result = 0;
    fake_engine::Record record;
    std::vector<fake_engine::Reply> replies;
    int versionQueries = 0;
};

State& TheState() {
    static State state;
    return state;
}

[[maybe_unused]] void RecordCall(const UnzParams& params) {
    fake_engine::Record& record = TheState().record;
    ++record.calls;
    record.params = params;
    record.archiveName = params.archiveName != nullptr ? params.archiveName : "(null)";
    record.extractFolder = params.extractFolder != nullptr ? params.extractFolder : "(null)";
    record.patterns.clear();
    record.patternPaddingZero = true;
    for (std::int32_t i = 0; params.fileSpecs != nullptr && i < params.fileSpecCount; ++i) {
        const UnzFileSpec& element = params.fileSpecs[i];
        record.patterns.emplace_back(element.pattern != nullptr ? element.pattern : "(null)");
        const auto* end = element.reserved + sizeof element.reserved;
        if (std::find_if(element.reserved, end, [](char c) { return c != 0; }) != end) {
            record.patternPaddingZero = false;
        }
    }
    std::error_code ignored;
    record.currentFolder = std::filesystem::current_path(ignored).string();
}

} // namespace

FAKE_ENGINE_EXPORT uint32_t UNZ_CALL GetUnzDllVersion(void) {
    ++TheState().versionQueries;
    return FAKE_ENGINE_VERSION;
}

#ifndef FAKE_ENGINE_NO_EXEC
FAKE_ENGINE_EXPORT int32_t UNZ_CALL UnzDllExec(const UnzParams* params) {
    State& state = TheState();
    RecordCall(*params);
    for (const fake_engine::Step& step : state.script) {
        fake_engine::Reply reply;
        reply.info.identity = params->identity;
        reply.info.action = step.action;
        reply.info.flag = step.flag;
        reply.info.number = step.number;
        std::memcpy(reply.info.text, step.text.data(),
                    std::min(step.text.size(), sizeof reply.info.text));
        reply.returned = params->callback(&reply.info);
        state.replies.push_back(reply);
        if (state.stopOnNonZero && reply.returned != 0) {
            break;
        }
    }
    return state.result;
}
#endif

FAKE_ENGINE_EXPORT void FakeEngineSetScript(const fake_engine::Step* steps, std::int32_t count,
                                            bool stopOnNonZero, std::int32_t result) {
    State& state = TheState();
    state.script.assign(steps, steps + count);
    state.stopOnNonZero = stopOnNonZero;
    state.result = result;
    state.replies.clear();
}

FAKE_ENGINE_EXPORT const fake_engine::Record* FakeEngineRecord() {
    return &TheState().record;
}

FAKE_ENGINE_EXPORT const std::vector<fake_engine::Reply>* FakeEngineReplies() {
    return &TheState().replies;
}

FAKE_ENGINE_EXPORT int FakeEngineVersionQueries() {
    return TheState().versionQueries;
}
