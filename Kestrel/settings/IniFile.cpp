#include "settings/IniFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

namespace kestrel {
namespace {

struct Lines {
    std::vector<std::string> Text;
    bool Crlf = false;
};

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::optional<Lines> Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (all.compare(0, 3, "\xEF\xBB\xBF") == 0)
        all.erase(0, 3);
    Lines lines;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (lines.Text.empty())
                lines.Crlf = true;
        }
        lines.Text.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view Key;
    std::string_view Value;
};

std::optional<KeyLine> KeyOf(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#')
        return std::nullopt;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

// Index of the section's header line, or none.
std::optional<size_t> FindSection(const Lines& lines, std::string_view section) {
    for (size_t i = 0; i < lines.Text.size(); ++i) {
        const auto name = SectionOf(lines.Text[i]);
        if (name && SameName(*name, section))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> Lookup(const std::filesystem::path& path, std::string_view section,
                                  std::string_view key) {
    const auto lines = Load(path);
    if (!lines)
        return std::nullopt;
    const auto header = FindSection(*lines, section);
    if (!header)
        return std::nullopt;
    for (size_t i = *header + 1; i < lines->Text.size(); ++i) {
        if (SectionOf(lines->Text[i]))
            break;
        const auto entry = KeyOf(lines->Text[i]);
        if (entry && SameName(entry->Key, key))
            return std::string(Unquote(entry->Value));
    }
    return std::nullopt;
}

bool Store(const std::filesystem::path& path, const Lines& lines) {
    std::filesystem::path temp = path;
    temp += ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        const char* eol = lines.Crlf ? "\r\n" : "\n";
        for (const auto& line : lines.Text)
            out << line << eol;
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace

bool IniFile::Exists() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(path_, ec);
}

std::string IniFile::Read(std::string_view section, std::string_view key) const {
    return CutToUtf16Units(ReadWhole(section, key), kReadLimit);
}

std::string IniFile::ReadWhole(std::string_view section, std::string_view key) const {
    return Lookup(path_, section, key).value_or(std::string());
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value) const {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty())
        return false;
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        return false;

    Lines lines = Load(path_).value_or(Lines{});
    // Lines that end the file without text are dropped, so that appending stays tidy.
    while (!lines.Text.empty() && Trim(lines.Text.back()).empty())
        lines.Text.pop_back();

    std::string entry = std::string(key) + "=" + std::string(value);
    const auto header = FindSection(lines, section);
    if (!header) {
        lines.Text.push_back("[" + std::string(section) + "]");
        lines.Text.push_back(std::move(entry));
        return Store(path_, lines);
    }
    size_t insertAt = *header + 1;
    for (size_t i = *header + 1; i < lines.Text.size(); ++i) {
        if (SectionOf(lines.Text[i]))
            break;
        const auto existing = KeyOf(lines.Text[i]);
        if (existing && SameName(existing->Key, key)) {
            lines.Text[i] = std::move(entry);
            return Store(path_, lines);
        }
        if (!Trim(lines.Text[i]).empty())
            insertAt = i + 1;
    }
    lines.Text.insert(lines.Text.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(entry));
    return Store(path_, lines);
}

std::string IniFile::CutToUtf16Units(std::string_view text, size_t units) {
    size_t used = 0;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t bytes = 1;
        if (lead >= 0xF0)
            bytes = 4;
        else if (lead >= 0xE0)
            bytes = 3;
        else if (lead >= 0xC0)
            bytes = 2;
        const size_t need = bytes == 4 ? 2 : 1; // outside the basic plane: a surrogate pair
        if (used + need > units)
            break;
        used += need;
        i += bytes;
    }
    return std::string(text.substr(0, std::min(i, text.size())));
}

} // namespace kestrel
