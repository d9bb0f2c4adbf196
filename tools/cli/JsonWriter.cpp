#include "JsonWriter.h"

#include "engine/Utf8Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kestrel::cli {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasMembers_.empty()) {
        if (hasMembers_.back()) out_ += ',';
        hasMembers_.back() = true;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += '{';
    hasMembers_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    hasMembers_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += '[';
    hasMembers_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    hasMembers_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    AppendEscaped(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    AppendEscaped(value);
    return *this;
}

template <class Number>
JsonWriter& JsonWriter::AppendNumber(Number value) {
    BeforeValue();
    char buffer[32]; // the shortest round-trip text of any 64-bit number fits
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) { return AppendNumber(value); }

JsonWriter& JsonWriter::UInt(uint64_t value) { return AppendNumber(value); }

JsonWriter& JsonWriter::Double(double value) {
    if (!std::isfinite(value)) return Null();
    return AppendNumber(value);
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

void JsonWriter::AppendEscaped(std::string_view text) {
    out_ += '"';
    while (!text.empty()) {
        // Plain printable ASCII is copied in one run.
        size_t run = 0;
        while (run < text.size()) {
            const auto byte = static_cast<unsigned char>(text[run]);
            if (byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\') break;
            ++run;
        }
        out_.append(text.data(), run);
        text.remove_prefix(run);
        if (text.empty()) break;

        const char c = text[0];
        const auto byte = static_cast<unsigned char>(c);
        size_t length = 1;
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += c;
        } else if (byte < 0x20) {
            switch (c) {
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            default: {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", byte);
                out_ += buffer;
            }
            }
        } else {
            length = Utf8SequenceLength(text);
            if (length == 0) {
                out_ += "\xEF\xBF\xBD"; // U+FFFD for a byte that is not UTF-8
                length = 1;
            } else {
                out_.append(text.data(), length);
            }
        }
        text.remove_prefix(length);
    }
    out_ += '"';
}

} // namespace kestrel::cli
