// Runs the built d88extract in a fresh scratch folder and captures what it
// leaves: exit status, standard output and error bytes, and the files made.
//
// The same cases check the Windows exes: D88EXTRACT, D88INFO and D88PUT name
// the tools, D88EXTRACT_LAUNCHER a program that starts them (Wine),
// D88EXTRACT_HOST=windows says that what a Windows console and file system
// make of their output is to be expected (see the helpers at the end), and
// D88EXTRACT_CODE_PAGE is that Windows' ANSI code page.
#ifndef TESTS_TOOL_RUNNER_H
#define TESTS_TOOL_RUNNER_H

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/image_builder.h"

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // The folder the tool runs in; the image and the captured streams live
    // beside it, so that only the tool's own files are inside.
    const std::filesystem::path& work() const { return workDir; }
    const std::filesystem::path& root() const { return rootDir; }
    std::filesystem::path image() const { return rootDir / "image.d88"; }

    // Runs the tool with `args` (argument 0 included, though a launched tool
    // sees its own path there: see invokedAs) in work(). `stdoutPath`
    // replaces the captured standard output (such as /dev/full); `beforeExec`
    // runs in the child just before the tool starts; `program` runs instead
    // of d88extract when given.
    ToolResult run(const std::vector<std::string>& args, const std::string& stdoutPath = "",
                   const std::function<void()>& beforeExec = {}, const std::string& program = "") const;
    // Runs the tool as run() does, its standard output going to a pipe, or
    // to a terminal (a pseudo-terminal that standard error shares, as on a
    // screen); `out` holds what came through, `err` the rest.
    enum class Attach { Pipe, Terminal };
    ToolResult runAttached(const std::vector<std::string>& args, Attach to, const std::string& program = "") const;
    // Writes `disks` as the image and runs the tool on it.
    ToolResult extract(const std::vector<Disk>& disks) const;

    // Every entry of work(): name -> content ("<dir>" for a folder).
    std::map<std::string, Bytes> files() const;

private:
    std::filesystem::path rootDir;
    std::filesystem::path workDir;
};

std::string toolPath();
// The built d88info (compile definition D88INFO_PATH, or env D88INFO).
std::string infoPath();
// The built d88put (compile definition D88PUT_PATH, or env D88PUT).
std::string putPath();

// Whether the tool under test is the Windows build.
bool toolRunsOnWindows();

// The bytes a stream written as `text` arrives as: Windows text mode turns
// every "\n" into CR LF.
std::string console(const std::string& text);

// What the tool sees as argument 0 when started as `argv0`: a launched
// Windows exe sees its own Windows path instead.
std::string invokedAs(const std::string& argv0);

// The name files() shows for a file the tool created as `nameBytes`. Windows
// drops trailing spaces and dots, reads the bytes as Shift_JIS (code page
// 932) whatever its own code page and stores Unicode, which Linux shows as
// UTF-8.
std::string storedName(const std::string& nameBytes);

// The bytes a message naming the UTF-8 argument `argument` holds: on Windows
// those of the ANSI code page D88EXTRACT_CODE_PAGE ('?' for a character it
// lacks).
std::string shownArgument(const std::string& argument);

#endif
