#pragma once
// A strict reader of JSON text for the tests of the command-line tools: parses a document
// into a tree of values and throws std::runtime_error on anything that is not valid JSON
// (including raw control characters and bytes that are not UTF-8 inside strings).
#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel::testing_json {

struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    std::string text; // the string's value, or a number as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    const JsonValue& operator[](std::string_view key) const {
        if (type != Type::Object) throw std::runtime_error("not an object");
        for (const auto& [name, value] : members) {
            if (name == key) return value;
        }
        throw std::runtime_error("no member " + std::string(key));
    }
    const JsonValue& operator[](size_t index) const {
        if (type != Type::Array || index >= items.size()) throw std::runtime_error("no item");
        return items[index];
    }
    int64_t Int() const {
        int64_t value = 0;
        auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        if (type != Type::Number || result.ptr != text.data() + text.size()) {
            throw std::runtime_error("not an integer: " + text);
        }
        return value;
    }
    const std::string& Str() const {
        if (type != Type::String) throw std::runtime_error("not a string");
        return text;
    }

    static JsonValue Parse(std::string_view document) {
        Reader reader{document, 0};
        JsonValue value = reader.Value();
        reader.SkipSpace();
        if (reader.at != document.size()) reader.Fail("trailing text");
        return value;
    }

private:
    struct Reader {
        std::string_view in;
        size_t at;

        [[noreturn]] void Fail(const char* what) const {
            throw std::runtime_error(std::string(what) + " at " + std::to_string(at));
        }
        void SkipSpace() {
            while (at < in.size() && (in[at] == ' ' || in[at] == '\n' || in[at] == '\r' ||
                                      in[at] == '\t')) {
                ++at;
            }
        }
        char Peek() {
            SkipSpace();
            if (at >= in.size()) Fail("unexpected end");
            return in[at];
        }
        void Expect(char c) {
            if (Peek() != c) Fail("unexpected character");
            ++at;
        }
        void Literal(std::string_view word) {
            if (in.substr(at, word.size()) != word) Fail("bad literal");
            at += word.size();
        }
        JsonValue Value() {
            JsonValue v;
            const char c = Peek();
            if (c == '{') {
                v.type = Type::Object;
                ++at;
                if (Peek() == '}') {
                    ++at;
                    return v;
                }
                for (;;) {
                    if (Peek() != '"') Fail("expected a key");
                    std::string key = String();
                    Expect(':');
                    v.members.emplace_back(std::move(key), Value());
                    if (Peek() == ',') {
                        ++at;
                        continue;
                    }
                    Expect('}');
                    return v;
                }
            }
            if (c == '[') {
                v.type = Type::Array;
                ++at;
                if (Peek() == ']') {
                    ++at;
                    return v;
                }
                for (;;) {
                    v.items.push_back(Value());
                    if (Peek() == ',') {
                        ++at;
                        continue;
                    }
                    Expect(']');
                    return v;
                }
            }
            if (c == '"') {
                v.type = Type::String;
                v.text = String();
                return v;
            }
            if (c == 't' || c == 'f') {
                v.type = Type::Bool;
                v.boolean = c == 't';
                Literal(v.boolean ? "true" : "false");
                return v;
            }
            if (c == 'n') {
                Literal("null");
                return v;
            }
            v.type = Type::Number;
            const size_t start = at;
            if (in[at] == '-') ++at;
            while (at < in.size() && std::string_view("0123456789.eE+-").find(in[at]) !=
                                         std::string_view::npos) {
                ++at;
            }
            v.text = std::string(in.substr(start, at - start));
            double check = 0;
            auto result = std::from_chars(v.text.data(), v.text.data() + v.text.size(), check);
            if (v.text.empty() || result.ptr != v.text.data() + v.text.size()) Fail("bad number");
            return v;
        }
        static void AppendUtf8(std::string& out, uint32_t code) {
            if (code < 0x80) {
                out += static_cast<char>(code);
            } else if (code < 0x800) {
                out += static_cast<char>(0xC0 | (code >> 6));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else if (code < 0x10000) {
                out += static_cast<char>(0xE0 | (code >> 12));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (code >> 18));
                out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (code & 0x3F));
            }
        }
        uint32_t Hex4() {
            if (at + 4 > in.size()) Fail("short escape");
            uint32_t code = 0;
            auto result = std::from_chars(in.data() + at, in.data() + at + 4, code, 16);
            if (result.ptr != in.data() + at + 4) Fail("bad escape");
            at += 4;
            return code;
        }
        // Length of the valid UTF-8 sequence at `at`, failing on anything else.
        size_t Utf8Length() {
            const auto lead = static_cast<unsigned char>(in[at]);
            const size_t length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                  : (lead >> 3) == 0x1E ? 4 : 0;
            if (length == 0 || at + length > in.size()) Fail("not UTF-8");
            for (size_t i = 1; i < length; ++i) {
                if ((static_cast<unsigned char>(in[at + i]) & 0xC0) != 0x80) Fail("not UTF-8");
            }
            return length;
        }
        std::string String() {
            ++at; // opening quote
            std::string out;
            for (;;) {
                if (at >= in.size()) Fail("unterminated string");
                const auto c = static_cast<unsigned char>(in[at]);
                if (c == '"') {
                    ++at;
                    return out;
                }
                if (c < 0x20) Fail("raw control character");
                if (c >= 0x80) {
                    const size_t length = Utf8Length();
                    out.append(in.substr(at, length));
                    at += length;
                    continue;
                }
                ++at;
                if (c != '\\') {
                    out += static_cast<char>(c);
                    continue;
                }
                if (at >= in.size()) Fail("unterminated escape");
                const char e = in[at++];
                switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    uint32_t code = Hex4();
                    if (code >= 0xD800 && code <= 0xDBFF) {
                        Literal("\\u");
                        const uint32_t low = Hex4();
                        if (low < 0xDC00 || low > 0xDFFF) Fail("bad surrogate pair");
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default: Fail("bad escape");
                }
            }
        }
    };
};

} // namespace kestrel::testing_json
