#pragma once
// A small generated card shared by the viewer's tests: 320x180 recordings of 2 s (60
// pictures, 66 engine frames of 30 ms; the engine plays nothing of 1.5 s or less) starting
// four seconds before midnight, so that the first day's folder holds two recordings and the
// second day's ten.
#include "AppTestSupport.h"
#include "mkrec/CardMaker.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kestrel::test {

class SmallCard {
  public:
    static constexpr int kFirstFolderCount = 2;
    static constexpr int kSecondFolderCount = 10;

    // The card, made on first use and removed when the tests end.
    static const SmallCard& Get() {
        static SmallCard card;
        return card;
    }
    // A fresh copy that a test may change (remove, add files).
    std::filesystem::path CopyTo(const std::filesystem::path& dir) const {
        std::filesystem::copy(root_, dir, std::filesystem::copy_options::recursive);
        return dir;
    }

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Dcim() const { return root_ / "DCIM"; }
    std::filesystem::path FirstFolder() const { return Dcim() / "100_0501"; }
    std::filesystem::path SecondFolder() const { return Dcim() / "101_0502"; }
    const std::vector<mkrec::CardFile>& Files() const { return files_; }

    SmallCard(const SmallCard&) = delete;
    SmallCard& operator=(const SmallCard&) = delete;

  private:
    SmallCard() {
        std::string pattern = testing::TempDir() + "kestrel-card-XXXXXX";
        if (char* made = ::mkdtemp(pattern.data()))
            dir_ = made;
        root_ = dir_ / "SDCARD";
        mkrec::CardOptions options;
        options.Seconds = 2.0;
        options.Width = 320;
        options.Height = 180;
        options.Start = mkrec::CivilTime{2024, 5, 1, 23, 59, 56};
        files_ = mkrec::MakeCard(options, root_);
    }
    ~SmallCard() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::filesystem::path dir_;
    std::filesystem::path root_;
    std::vector<mkrec::CardFile> files_;
};

// Sets an environment variable while the object lives.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
            had_ = true;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

} // namespace kestrel::test
