#pragma once

#include <string>

#include "ui/Exception.h"

// The error class of the archive component: an error that carries only a
// message text for the user.
class ZipException : public ui::Exception {
public:
    explicit ZipException(const std::string& message) : ui::Exception(message) {}
};
