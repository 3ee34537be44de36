// A JSON document written as it goes, straight to a stream: nothing of it
// is kept, so its memory does not grow with what it describes. Members and
// elements are separated and indented by the writer; the caller names each
// member (a null key inside an array) and closes what it opens.
#ifndef TOOL_CLI_JSON_WRITER_H
#define TOOL_CLI_JSON_WRITER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// How a container lays out its contents: each on a line of its own, or all
// on the line the container starts on.
enum class JsonLayout { Lines, Inline };

class JsonWriter {
public:
    explicit JsonWriter(std::FILE* out) : out(out) {}

    void beginObject(const char* key, JsonLayout layout);
    void endObject();
    void beginArray(const char* key, JsonLayout layout);
    void endArray();
    // Ends the document with its newline.
    void finish();

    void number(const char* key, long long value);
    void boolean(const char* key, bool value);
    void null(const char* key);
    // Bytes as a string: UTF-8 sequences as they are, and every byte that
    // starts none, as every control, as its \u escape. Valid UTF-8 thus
    // reads back as itself; a raw byte 0x80 to 0xFF as U+0080 to U+00FF.
    void string(const char* key, const char* bytes);
    // `count` bytes as two lowercase hex digits each.
    void hex(const char* key, const std::uint8_t* bytes, std::size_t count);

private:
    // Deeper than any document the programs write.
    static constexpr int MAX_DEPTH = 8;

    // The separator, line break and key before a value.
    void open(const char* key);
    void begin(const char* key, JsonLayout layout, char bracket);
    void end(char bracket);
    void escaped(const char* bytes);

    std::FILE* out;
    int depth = 0;
    bool empty[MAX_DEPTH] = {};
    JsonLayout layouts[MAX_DEPTH] = {};
};

#endif
