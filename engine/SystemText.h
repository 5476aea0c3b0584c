#pragma once

#include <string>
#include <string_view>

// Text at the engine's boundary with Windows (used by the *_win.cpp files):
// UTF-8 inside, UTF-16 at the system.
namespace engine {

std::wstring Widen(std::string_view text);

// The system's text for an error code in UTF-8, English where the system has
// it, without the closing full stop; "system error N" when it has none.
std::string SystemMessage(unsigned long code);

} // namespace engine
