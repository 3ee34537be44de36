#include "tool/cli/json_writer.h"

namespace {

constexpr int INDENT = 2;
constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE = 0x7F;
// U+0080 to U+009F act as controls on a terminal reading UTF-8: escaped too.
constexpr std::uint32_t LAST_C1_CONTROL = 0x9F;

// The length of the UTF-8 sequence at `s`, or 0 when none starts there:
// overlong forms, surrogates and code points past U+10FFFF are no sequence.
int utf8SequenceLength(const unsigned char* s, std::uint32_t& codePoint) {
    int length = 0;
    std::uint32_t least = 0;
    if (s[0] >= 0xC2 && s[0] <= 0xDF) {
        length = 2;
        codePoint = s[0] & 0x1Fu;
        least = 0x80;
    } else if (s[0] >= 0xE0 && s[0] <= 0xEF) {
        length = 3;
        codePoint = s[0] & 0x0Fu;
        least = 0x800;
    } else if (s[0] >= 0xF0 && s[0] <= 0xF4) {
        length = 4;
        codePoint = s[0] & 0x07u;
        least = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        // A 0 byte ends the string here too: it is no continuation byte.
        if ((s[i] & 0xC0u) != 0x80u) {
            return 0;
        }
        codePoint = (codePoint << 6) | (s[i] & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < least || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

}  // namespace

void JsonWriter::open(const char* key) {
    if (depth > 0) {
        const int level = depth - 1;
        if (!empty[level]) {
            std::fputc(',', out);
            if (layouts[level] == JsonLayout::Inline) {
                std::fputc(' ', out);
            }
        }
        if (layouts[level] == JsonLayout::Lines) {
            std::fprintf(out, "\n%*s", depth * INDENT, "");
        }
        empty[level] = false;
    }
    if (key != nullptr) {
        std::fprintf(out, "\"%s\": ", key);
    }
}

void JsonWriter::begin(const char* key, JsonLayout layout, char bracket) {
    open(key);
    std::fputc(bracket, out);
    if (depth < MAX_DEPTH) {
        empty[depth] = true;
        layouts[depth] = layout;
    }
    ++depth;
}

void JsonWriter::end(char bracket) {
    --depth;
    if (depth < MAX_DEPTH && !empty[depth] && layouts[depth] == JsonLayout::Lines) {
        std::fprintf(out, "\n%*s", depth * INDENT, "");
    }
    std::fputc(bracket, out);
}

void JsonWriter::beginObject(const char* key, JsonLayout layout) { begin(key, layout, '{'); }
void JsonWriter::endObject() { end('}'); }
void JsonWriter::beginArray(const char* key, JsonLayout layout) { begin(key, layout, '['); }
void JsonWriter::endArray() { end(']'); }
void JsonWriter::finish() { std::fputc('\n', out); }

void JsonWriter::number(const char* key, long long value) {
    open(key);
    std::fprintf(out, "%lld", value);
}

void JsonWriter::boolean(const char* key, bool value) {
    open(key);
    std::fputs(value ? "true" : "false", out);
}

void JsonWriter::null(const char* key) {
    open(key);
    std::fputs("null", out);
}

void JsonWriter::string(const char* key, const char* bytes) {
    open(key);
    std::fputc('"', out);
    escaped(bytes);
    std::fputc('"', out);
}

void JsonWriter::escaped(const char* bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    while (*s != 0) {
        std::uint32_t codePoint = 0;
        const int length = *s >= 0x80 ? utf8SequenceLength(s, codePoint) : 0;
        if (length > 0 && codePoint > LAST_C1_CONTROL) {
            std::fwrite(s, 1, static_cast<std::size_t>(length), out);
            s += length;
            continue;
        }
        if (length > 0) {
            std::fprintf(out, "\\u%04lx", static_cast<unsigned long>(codePoint));
            s += length;
            continue;
        }
        if (*s == '"' || *s == '\\') {
            std::fputc('\\', out);
            std::fputc(*s, out);
        } else if (*s < FIRST_PRINTABLE || *s >= DELETE) {
            std::fprintf(out, "\\u%04x", static_cast<unsigned>(*s));
        } else {
            std::fputc(*s, out);
        }
        ++s;
    }
}

void JsonWriter::hex(const char* key, const std::uint8_t* bytes, std::size_t count) {
    open(key);
    std::fputc('"', out);
    for (std::size_t i = 0; i < count; ++i) {
        std::fprintf(out, "%02x", static_cast<unsigned>(bytes[i]));
    }
    std::fputc('"', out);
}
