#include "tool/cli/messages.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tool/disk/output_place.h"
#include "tool/host/arguments.h"
#include "tool/host/sjis_text.h"
#include "tool/host/terminal.h"

namespace {

// "Cannot open the file", in Shift_JIS: the console this tool was made for
// shows code page 932, so the bytes go out unchanged.
constexpr char OPEN_FAILURE_SJIS[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x49\x81\x5B\x83\x76"
    "\x83\x93\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\n";

// The longest text that goes out through putText: a listing line, or a
// diagnostic's name.
constexpr std::size_t TEXT_SIZE = 256;
char utf8Text[utf8BufferSize(TEXT_SIZE)];

constexpr char QUESTION_MARK = '?';
constexpr unsigned char DELETE = 0x7F;

bool isControlByte(unsigned char byte) { return byte < 0x20 || byte == DELETE; }

bool reachesTerminal(const Console& console, std::FILE* stream) {
    return (stream == stdout && console.outputIsTerminal) || (stream == stderr && console.errorsAreTerminal);
}

// U+0080 to U+009F (C2 80 to C2 9F in UTF-8) act as controls on terminals
// that read UTF-8; each becomes one '?', the one column its Shift_JIS byte
// took.
void dropC1Controls(char* text) {
    char* out = text;
    for (const char* in = text; *in != '\0'; ++in) {
        if (static_cast<unsigned char>(in[0]) == 0xC2 && static_cast<unsigned char>(in[1]) >= 0x80
            && static_cast<unsigned char>(in[1]) <= 0x9F) {
            *out++ = QUESTION_MARK;
            ++in;
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
}

// The help's option column: "  -C, --directory=DIR  ".
constexpr int OPTION_COLUMN_WIDTH = 24;

void printOptionLine(char shortName, const char* longName, const char* valueName, const char* summary) {
    char option[64];
    if (valueName != nullptr) {
        std::snprintf(option, sizeof option, "--%s=%s", longName, valueName);
    } else {
        std::snprintf(option, sizeof option, "--%s", longName);
    }
    char shortForm[8] = "    ";
    if (shortName != 0) {
        std::snprintf(shortForm, sizeof shortForm, "-%c, ", shortName);
    }
    std::printf("  %s%-*s%s\n", shortForm, OPTION_COLUMN_WIDTH - 6, option, summary);
}

}  // namespace

const char* systemReason(int error) { return error > 0 ? std::strerror(error) : "unknown error"; }

void printUsage(const char* program) {
    std::fprintf(stderr, "Usage: %s [d88file]\n", argumentAsShown(program));
}

void printHelpHint(const char* program) { std::fprintf(stderr, "Try '%s --help' for the options.\n", program); }

void printUsageAndHelpHint(const char* usage, const char* program) {
    std::fputs(usage, stderr);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", program);
}

void noteTerminals(Console& console) {
    console.outputIsTerminal = isTerminal(stdout);
    console.errorsAreTerminal = isTerminal(stderr);
}

void printOpenFailure(const Console& console) { putText(console, stderr, OPEN_FAILURE_SJIS); }

void printHelp(const char* usage, const char* about, const OptionSet& options) {
    std::fputs(usage, stdout);
    std::fputs(about, stdout);
    std::fputs("\n", stdout);
    for (const OptionInfo& known : OPTION_TABLE) {
        if (!options.accepts(known.option)) {
            continue;
        }
        const char* summary = known.summary;
        for (std::size_t i = 0; i < options.ownHelpCount; ++i) {
            if (options.ownHelp[i].option == known.option) {
                summary = options.ownHelp[i].summary;
            }
        }
        printOptionLine(known.shortName, known.longName, known.valueName, summary);
    }
    // Every program ends its options so, for an IMAGE or a NAME that
    // starts with a dash.
    printOptionLine(0, "", nullptr, "end of options: an argument after it may begin with '-'");
    printOptionLine(0, "help", nullptr, "print this help and exit");
    printOptionLine(0, "version", nullptr, "print the version and exit");
}

void printVersion(const char* program) {
    // The licence travels with the programs, also where LICENSE does not.
    std::printf("%s %s\nLicense: MIT\n", program, D88_VERSION);
}

bool canConvertNames() { return sjisToUtf8("", 0, utf8Text, sizeof utf8Text).status != SjisStatus::NoConverter; }

bool chooseNamesUtf8(Console& console, bool utf8) {
    if (utf8 && !canConvertNames()) {
        std::fprintf(stderr, "%s: --utf8: this system cannot convert Shift_JIS (code page 932)\n", console.program);
        return false;
    }
    console.namesUtf8 = utf8;
    return true;
}

void putText(const Console& console, std::FILE* out, const char* text) {
    if (!console.namesUtf8) {
        std::fputs(text, out);
        return;
    }
    // Never longer than TEXT_SIZE bytes in practice; a longer one is cut at
    // a character, never overrun.
    (void)sjisToUtf8(text, std::strlen(text), utf8Text, sizeof utf8Text);
    if (reachesTerminal(console, out)) {
        dropC1Controls(utf8Text);
    }
    std::fputs(utf8Text, out);
}

void terminalSafeName(const Console& console, std::FILE* stream, const char* name, char* out,
                      std::size_t size) {
    if (size == 0) {
        return;
    }
    const bool terminal = reachesTerminal(console, stream);
    std::size_t i = 0;
    for (; name[i] != '\0' && i + 1 < size; ++i) {
        out[i] = terminal && isControlByte(static_cast<unsigned char>(name[i])) ? QUESTION_MARK : name[i];
    }
    out[i] = '\0';
}

void printBootDiskFound(Console& console) {
    std::fputs("Found: DISK-A  cutting ... TTLPRG\n", stdout);
    watchStandardOutput(console);
}

void reportFileProblem(Console& console, const char* name, const char* format, ...) {
    // Keep the diagnostic next to the listing line it belongs to when both
    // streams end up in one place.
    std::fflush(stdout);
    watchStandardOutput(console);
    std::fprintf(stderr, "%s: ", console.program);
    char shown[SHOWN_NAME_SIZE];
    terminalSafeName(console, stderr, name, shown, sizeof shown);
    putText(console, stderr, shown);
    std::fputs(": ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

void reportFolderProblem(Console& console, const char* path, int error) {
    std::fflush(stdout);
    watchStandardOutput(console);
    std::fprintf(stderr, "%s: %s: cannot create the folder: %s\n", console.program, argumentAsShown(path),
                 systemReason(error));
}

void reportImageOpenFailure(const Console& console, const char* path, ImageOpenProblem problem, int error) {
    const char* reason = problem == ImageOpenProblem::NotRegular ? "it is no regular file"
                         : error != 0                           ? systemReason(error)
                                                                : "not a readable file";
    std::fprintf(stderr, "%s: %s: cannot open the image: %s\n", console.program, argumentAsShown(path), reason);
}

void reportImageReadError(Console& console, const char* path, int error) {
    std::fflush(stdout);
    watchStandardOutput(console);
    std::fprintf(stderr, "%s: %s: cannot read the image: %s\n", console.program, argumentAsShown(path),
                 systemReason(error));
}

void watchStandardOutput(Console& console) {
    if (console.standardOutputError < 0 && std::ferror(stdout) != 0) {
        console.standardOutputError = errno;
    }
}

bool finishStandardOutput(Console& console) {
    watchStandardOutput(console);
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && std::ferror(stdout) == 0) {
        return true;
    }
    // The reason of the first failure, or of this flush's.
    const int error = console.standardOutputError > 0 ? console.standardOutputError : errno;
    if (error == EPIPE && console.quietClosedPipe) {
        return false;
    }
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", console.program,
                 error > 0 ? std::strerror(error) : "write error");
    return false;
}
