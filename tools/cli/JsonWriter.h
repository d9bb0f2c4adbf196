#pragma once
// A small writer of compact JSON text for the command-line tools: keys and values are
// appended in order and commas are placed by the writer. Strings are UTF-8; a byte that
// does not belong to a valid UTF-8 sequence is written as U+FFFD, so the output is always
// valid JSON.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kestrel::cli {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);

    JsonWriter& String(std::string_view value);
    JsonWriter& Int(int64_t value);
    JsonWriter& UInt(uint64_t value);
    JsonWriter& Double(double value); // NaN and infinities become null
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    // Key and value in one call.
    template <class T>
    JsonWriter& Field(std::string_view key, const T& value);

    const std::string& Text() const { return out_; }
    std::string& Text() { return out_; }

private:
    void BeforeValue();
    void AppendEscaped(std::string_view text);
    template <class Number>
    JsonWriter& AppendNumber(Number value);

    std::string out_;
    std::vector<bool> hasMembers_; // one per open object or array
    bool afterKey_ = false;
};

template <class T>
JsonWriter& JsonWriter::Field(std::string_view key, const T& value) {
    Key(key);
    if constexpr (std::is_same_v<T, bool>) {
        return Bool(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        return Double(value);
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        return Int(value);
    } else if constexpr (std::is_integral_v<T>) {
        return UInt(value);
    } else {
        return String(value);
    }
}

} // namespace kestrel::cli
