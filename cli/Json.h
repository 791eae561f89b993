// A JSON text built in UTF-16, compact, for the console's --json output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The string as a JSON literal, quotes included. Only what JSON requires is escaped: '"', '\' and
// the control characters below U+0020. A surrogate pair stays as it is; a lone surrogate, which
// no encoding of the output can carry, becomes "\uXXXX", so that every unit of a name survives.
std::u16string JsonString(std::u16string_view text);

// Values in the order they are written; a comma goes wherever one is due. The calls must nest
// properly (a key before each value of an object): nothing checks it.
class JsonWriter {
  public:
    JsonWriter& BeginObject() { return Open(u'{'); }
    JsonWriter& EndObject() { return Close(u'}'); }
    JsonWriter& BeginArray() { return Open(u'['); }
    JsonWriter& EndArray() { return Close(u']'); }
    JsonWriter& Key(std::u16string_view name);
    JsonWriter& String(std::u16string_view text) { return Value(JsonString(text)); }
    JsonWriter& Number(uint64_t value);
    JsonWriter& Bool(bool value) { return Value(value ? u"true" : u"false"); }
    JsonWriter& Null() { return Value(u"null"); }

    const std::u16string& Text() const { return m_text; }

  private:
    JsonWriter& Open(char16_t bracket);
    JsonWriter& Close(char16_t bracket);
    JsonWriter& Value(std::u16string_view literal);

    std::u16string m_text;
    bool m_afterValue = false;  // the next key or value needs a comma first
};
