// A stream that carries UTF-8 bytes as they are, whatever it reaches: on
// Windows text mode would put CR before every LF, and a console would read
// the bytes in its own code page.
#ifndef TOOL_HOST_UTF8_STREAM_H
#define TOOL_HOST_UTF8_STREAM_H

#include <cstdio>

// While one lives, `stream` passes its bytes unchanged and a console shows
// them as UTF-8; at its end the stream is flushed and the console given
// back its code page, which outlives the program.
class Utf8Stream {
public:
    explicit Utf8Stream(std::FILE* stream);
    ~Utf8Stream();
    Utf8Stream(const Utf8Stream&) = delete;
    Utf8Stream& operator=(const Utf8Stream&) = delete;

private:
    std::FILE* stream;
    // The console's code page before, where one was changed; 0 for none.
    // Only a Windows console has one.
    [[maybe_unused]] unsigned savedCodePage = 0;
};

#endif
