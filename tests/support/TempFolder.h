#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace testing_support {

// A fresh folder below the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string stem = info ? std::string(info->test_suite_name()) + "-" + info->name() : "vg";
        for (char& c : stem) {
            if (c == '/') {
                c = '_';
            }
        }
        m_path = std::filesystem::temp_directory_path() /
                 ("vg-" + stem + "-" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    // The path of `relative` below the folder, with the platform's separators.
    std::string operator/(const std::string& relative) const {
        return (m_path / relative).make_preferred().string();
    }

    // Writes `bytes` to the file at `relative`, creating folders on the way.
    std::string Write(const std::string& relative, const std::string& bytes) const {
        const auto file = m_path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
        return std::filesystem::path(file).make_preferred().string();
    }

private:
    std::filesystem::path m_path;
};

// Reads a whole file as bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testing_support
