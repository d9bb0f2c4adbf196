#pragma once
// A fresh folder under the test's temporary directory, removed with everything in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <stdlib.h>

namespace kestrel {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::path(::testing::TempDir()) / "kestrel-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot create a temporary folder";
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace kestrel
