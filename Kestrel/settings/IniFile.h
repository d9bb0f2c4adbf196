#pragma once
// A profile file of sections in square brackets and one "key=value" per line, UTF-8. Every
// read opens and parses the file again and every write rewrites it at once: nothing is
// cached, so a value written by one window is seen by the next read anywhere.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kestrel {

class IniFile {
  public:
    // A read hands back at most this many UTF-16 units, as a 260-unit buffer would.
    static constexpr size_t kReadLimit = 259;

    explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& Path() const { return path_; }
    bool Exists() const;

    // The value of section/key, "" when the file, the section or the key is missing. Section
    // and key names compare without regard to ASCII case; the value loses surrounding blanks
    // and one pair of matching quotes. A longer value comes back cut at kReadLimit units.
    std::string Read(std::string_view section, std::string_view key) const;
    // The same value, never cut: for values that are paths, where a cut value would name a
    // different folder.
    std::string ReadWhole(std::string_view section, std::string_view key) const;

    // Stores section/key = value: replaces the key's line, or adds the key at the end of its
    // section, or adds the section at the end of the file. The file is written next to itself
    // and renamed over the old one, so a failed write leaves the old file as it was. A section,
    // key or value that holds a line break, or a section or key that is empty, is refused.
    bool Write(std::string_view section, std::string_view key, std::string_view value) const;

    // `text` cut to at most `units` UTF-16 units, never inside a character.
    static std::string CutToUtf16Units(std::string_view text, size_t units);

  private:
    std::filesystem::path path_;
};

} // namespace kestrel
