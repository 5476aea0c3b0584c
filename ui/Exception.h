#pragma once

#include <stdexcept>
#include <string>

namespace ui {

// The base error class of the wizard's own code: an error that carries only a
// message text for the user. The top-level handler shows what() in an error
// box. Error classes of the units (the archive component's among them) derive
// from it.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

} // namespace ui
