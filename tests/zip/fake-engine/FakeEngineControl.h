#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "FakeEngine.h"
#include "platform/DynamicLibrary.h"

namespace fake_engine {

// The test's side of a fake engine, loaded by its bare name. The handle is
// a second reference to the library the archive component loads, so the
// fake and its records stay while the component loads and unloads it.
class Control {
public:
    explicit Control(const std::string& name) {
        if (!m_library.Load(name)) {
            throw std::runtime_error(m_library.LastError());
        }
    }
    void Play(const std::vector<Step>& steps, std::int32_t result = 0, bool stopOnNonZero = false) {
        Get<FakeEngineSetScriptFunction>("FakeEngineSetScript")(
            steps.data(), static_cast<std::int32_t>(steps.size()), stopOnNonZero, result);
    }
    const fake_engine::Record& Record() const {
        return *Get<FakeEngineRecordFunction>("FakeEngineRecord")();
    }
    const std::vector<Reply>& Replies() const {
        return *Get<FakeEngineRepliesFunction>("FakeEngineReplies")();
    }
    int VersionQueries() const {
        return Get<FakeEngineVersionQueriesFunction>("FakeEngineVersionQueries")();
    }

private:
    template <typename Function> Function Get(const char* name) const {
        auto function = reinterpret_cast<Function>(m_library.Symbol(name));
        if (function == nullptr) {
            throw std::runtime_error(std::string("the fake engine lacks ") + name);
        }
        return function;
    }

    platform::DynamicLibrary m_library;
};

} // namespace fake_engine
