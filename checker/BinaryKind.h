#pragma once

#include <optional>
#include <string>

// What kind of program or library the file at `path` is, read from its
// header: "ELF 64-bit x86-64", "PE32 i386", "PE32+ x86-64" and the like;
// nullopt when it is neither an ELF nor a PE file (or cannot be read).
// A program can load, and a system folder serve, only libraries of its own
// kind.
std::optional<std::string> BinaryKind(const std::string& path);
