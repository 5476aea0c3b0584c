#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace testing_support {

// Sets or removes an environment variable of the test process.
inline void SetEnv(const std::string& name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name.c_str(), value.c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void UnsetEnv(const std::string& name) {
#ifdef _WIN32
    // An empty value removes the variable.
    ::_putenv_s(name.c_str(), "");
#else
    ::unsetenv(name.c_str());
#endif
}

// Sets a variable for as long as it exists, then gives it back its old value
// (or removes it).
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) {
            m_old = old;
        }
        SetEnv(m_name, value);
    }
    ~ScopedEnv() {
        if (m_old) {
            SetEnv(m_name, *m_old);
        } else {
            UnsetEnv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace testing_support
