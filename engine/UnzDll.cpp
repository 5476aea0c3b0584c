// The exported entry points: check the parameter record and hand it to the
// engine.
#include "engine/UnzDll.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "engine/Engine.h"

namespace {

// The build gives the number (the engine's file version says the same).
constexpr std::uint32_t kEngineVersion = VG_ENGINE_VERSION;

// Cuts UTF-8 text to fit the record's 512 bytes with the terminating zero,
// without splitting a character.
void CopyText(const std::string& text, char* field) {
    std::size_t length = std::min<std::size_t>(text.size(), UNZ_TEXT_SIZE - 1);
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80) {
            --length;
        }
    }
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// Calls the caller's callback. An exception thrown by it stops the engine
// like a non-zero result and is passed on once the engine has cleaned up.
class CallbackReporter : public engine::Reporter {
public:
    CallbackReporter(UnzCallback callback, void* identity)
        : m_callback(callback), m_identity(identity) {}

    bool Call(int action, std::int32_t& flag, std::int32_t& number, std::string& text) override {
        UnzCallbackInfo info{};
        info.identity = m_identity;
        info.action = action;
        info.flag = flag;
        info.number = number;
        CopyText(text, info.text);
        std::int32_t result = 0;
        try {
            result = m_callback(&info);
        } catch (...) {
            m_exception = std::current_exception();
            return false;
        }
        flag = info.flag;
        number = info.number;
        text.assign(info.text, strnlen(info.text, UNZ_TEXT_SIZE));
        return result == 0;
    }

    std::exception_ptr Exception() const { return m_exception; }

private:
    UnzCallback m_callback;
    void* m_identity;
    std::exception_ptr m_exception;
};

engine::ExtractOptions OptionsFrom(const UnzParams& params) {
    engine::ExtractOptions options;
    if (params.keepExisting != 0) {
        options.existing = engine::ExistingFiles::Keep;
    } else if (params.update != 0) {
        options.existing = engine::ExistingFiles::Update;
    } else if (params.freshen != 0) {
        options.existing = engine::ExistingFiles::Freshen;
    }
    options.folderNames = params.folderNames != 0;
    for (std::int32_t i = 0; i < params.fileSpecCount; ++i) {
        const char* pattern = params.fileSpecs[i].pattern;
        if (pattern != nullptr && *pattern != '\0') {
            options.fileSpecs.emplace_back(pattern);
        }
    }
    if (params.password != nullptr) {
        options.passwords.emplace_back(params.password);
    }
    return options;
}

bool Acceptable(const UnzParams* params) {
    return params != nullptr && params->callback != nullptr && params->archiveName != nullptr &&
           params->extractFolder != nullptr && params->version >= UNZ_INTERFACE_VERSION &&
           params->check3 == 3 && params->check7 == 7 && params->fileSpecCount >= 0 &&
           (params->fileSpecCount == 0 || params->fileSpecs != nullptr);
}

} // namespace

extern "C" {

UNZ_EXPORT uint32_t UNZ_CALL GetUnzDllVersion(void) {
    return kEngineVersion;
}

UNZ_EXPORT int32_t UNZ_CALL UnzDllExec(const UnzParams* params) {
    if (!Acceptable(params)) {
        return UNZ_BAD_PARAMETERS;
    }
    CallbackReporter reporter(params->callback, params->identity);
    int32_t result = UNZ_INTERNAL;
    try {
        result = engine::ExtractArchiveFile(params->archiveName, params->extractFolder, reporter,
                                            OptionsFrom(*params));
    } catch (...) {
        result = UNZ_INTERNAL;
    }
    if (reporter.Exception()) {
        std::rethrow_exception(reporter.Exception());
    }
    return result;
}

} // extern "C"
