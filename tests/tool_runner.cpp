#include "tests/tool_runner.h"

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string launcherPath() { return environment("D88EXTRACT_LAUNCHER"); }

constexpr int LAUNCH_RETRIES = 2;

// The programs end with 0, 1 or 2, never fail without a word on standard
// error, and never print "wine:".
bool launchFailed(const std::string& launcher, const ToolResult& result) {
    const bool silentFailure = result.status != 0 && result.out.empty() && result.err.empty();
    return !launcher.empty() && (result.status > 2 || silentFailure || result.err.rfind("wine:", 0) == 0);
}

// `text` converted by iconv from `from` to `to`. A UTF-8 character that
// `to` lacks becomes `missing`, and an incomplete one at the end
// `unfinished`; where either is empty, meeting it is an error of the test.
std::string convert(const std::string& text, const char* from, const char* to, const std::string& missing,
                    const std::string& unfinished) {
    const iconv_t converter = ::iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert to ") + to);
    }
    std::string converted;
    std::string input = text;
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char block[64];
        char* out = block;
        std::size_t outLeft = sizeof block;
        const std::size_t result = ::iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        converted.append(block, static_cast<std::size_t>(out - block));
        if (result != static_cast<std::size_t>(-1) || error == E2BIG) {
            continue;
        }
        const std::string& replacement = error == EINVAL ? unfinished : missing;
        if (replacement.empty()) {
            ::iconv_close(converter);
            throw std::invalid_argument(std::string("no ") + to + " for these " + from + " bytes");
        }
        converted += replacement;
        if (error == EINVAL) {
            break;
        }
        std::size_t skip = 1;
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
            ++skip;
        }
        in += skip;
        inLeft -= skip;
    }
    ::iconv_close(converter);
    return converted;
}

void redirect(const std::string& path, int fd) {
    const int target = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (target < 0 || ::dup2(target, fd) < 0) {
        ::_exit(126);
    }
    ::close(target);
}

}  // namespace

std::string toolPath() {
    if (const char* fromEnvironment = std::getenv("D88EXTRACT")) {
        return fromEnvironment;
    }
    return D88EXTRACT_PATH;
}

std::string infoPath() {
    if (const char* fromEnvironment = std::getenv("D88INFO")) {
        return fromEnvironment;
    }
    return D88INFO_PATH;
}

std::string putPath() {
    if (const char* fromEnvironment = std::getenv("D88PUT")) {
        return fromEnvironment;
    }
    return D88PUT_PATH;
}

bool toolRunsOnWindows() { return environment("D88EXTRACT_HOST") == "windows"; }

std::string console(const std::string& text) {
    if (!toolRunsOnWindows()) {
        return text;
    }
    std::string translated;
    for (char c : text) {
        if (c == '\n') {
            translated += '\r';
        }
        translated += c;
    }
    return translated;
}

std::string invokedAs(const std::string& argv0) {
    if (launcherPath().empty()) {
        return argv0;
    }
    // Wine passes the exe's own path, on the drive Z: that maps the Linux root.
    std::string path = "Z:" + fs::absolute(toolPath()).string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string storedName(const std::string& nameBytes) {
    if (!toolRunsOnWindows()) {
        return nameBytes;
    }
    std::string name = nameBytes;
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) {
        name.pop_back();
    }
    // Windows makes U+30FB of a lead byte with nothing after it.
    return convert(name, "CP932", "UTF-8", "", "\xE3\x83\xBB");
}

std::string shownArgument(const std::string& argument) {
    const std::string codePage = environment("D88EXTRACT_CODE_PAGE");
    if (!toolRunsOnWindows() || codePage.empty()) {
        return argument;
    }
    return convert(argument, "UTF-8", ("CP" + codePage).c_str(), "?", "");
}

Scratch::Scratch() {
    std::string pattern = (fs::temp_directory_path() / "d88test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    rootDir = pattern;
    workDir = rootDir / "work";
    fs::create_directory(workDir);
}

Scratch::~Scratch() {
    std::error_code ignored;
    fs::permissions(workDir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(rootDir, ignored);
}

ToolResult Scratch::run(const std::vector<std::string>& args, const std::string& stdoutPath,
                        const std::function<void()>& beforeExec, const std::string& program) const {
    const fs::path outPath = rootDir / "stdout";
    const fs::path errPath = rootDir / "stderr";
    const std::string tool = program.empty() ? toolPath() : program;
    // The programs have Windows builds to launch; others run here.
    const std::string launcher =
        program.empty() || program == infoPath() || program == putPath() ? launcherPath() : "";
    // A launcher takes the tool's path and the arguments after argument 0.
    std::vector<char*> argv;
    std::size_t first = 0;
    if (!launcher.empty()) {
        argv.push_back(const_cast<char*>(launcher.c_str()));
        argv.push_back(const_cast<char*>(tool.c_str()));
        first = 1;
    }
    for (std::size_t i = first; i < args.size(); ++i) {
        argv.push_back(const_cast<char*>(args[i].c_str()));
    }
    argv.push_back(nullptr);

    const auto once = [&] {
        const pid_t child = ::fork();
        if (child < 0) {
            throw std::runtime_error("fork failed");
        }
        if (child == 0) {
            if (::chdir(workDir.c_str()) != 0) {
                ::_exit(126);
            }
            redirect(stdoutPath.empty() ? outPath.string() : stdoutPath, STDOUT_FILENO);
            redirect(errPath.string(), STDERR_FILENO);
            if (beforeExec) {
                beforeExec();
            }
            ::execv(launcher.empty() ? tool.c_str() : launcher.c_str(), argv.data());
            ::_exit(127);
        }
        int waitStatus = 0;
        ::waitpid(child, &waitStatus, 0);
        ToolResult result;
        result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
        result.out = stdoutPath.empty() ? slurp(outPath) : "";
        result.err = slurp(errPath);
        return result;
    };
    ToolResult result = once();
    // Anything else from a launched exe is the launcher failing to run it,
    // which a loaded machine makes happen now and then: try again, and say
    // so. A fault of the exe itself comes back the second time and fails the
    // test.
    for (int retry = 0; retry < LAUNCH_RETRIES && launchFailed(launcher, result); ++retry) {
        std::fprintf(stderr, "%s ended with status %d (%s); running it again\n", launcher.c_str(), result.status,
                     result.err.substr(0, result.err.find('\n')).c_str());
        result = once();
    }
    return result;
}

ToolResult Scratch::runAttached(const std::vector<std::string>& args, Attach to, const std::string& program) const {
    int ends[2] = {-1, -1};
    if (to == Attach::Pipe) {
        if (::pipe(ends) != 0) {
            throw std::runtime_error("pipe failed");
        }
    } else {
        // Raw: the terminal adds no CR before each LF.
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&ends[0], &ends[1], nullptr, &raw, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
    }
    const int reader = ends[0];
    const int writer = ends[1];
    // Read while the tool runs: a terminal holds little, and a full one
    // would stop the tool. A pipe ends when its last writer has gone, and a
    // terminal reads as an error then; a quiet spell after the tool has
    // ended stops the reading too, should a helper of the launcher keep the
    // terminal open.
    // The thread allocates nothing, so that the fork beside it is safe.
    std::atomic<bool> ended{false};
    std::vector<char> received(std::size_t{1} << 20);
    std::size_t size = 0;
    std::thread drain([reader, &ended, &received, &size] {
        constexpr int POLL_MS = 100;
        constexpr int QUIET_POLLS = 20;
        int quiet = 0;
        pollfd ready{reader, POLLIN, 0};
        while (size < received.size()) {
            if (::poll(&ready, 1, POLL_MS) > 0) {
                const ssize_t got = ::read(reader, received.data() + size, received.size() - size);
                if (got <= 0) {
                    return;
                }
                size += static_cast<std::size_t>(got);
                quiet = 0;
            } else if (ended && ++quiet >= QUIET_POLLS) {
                return;
            }
        }
    });
    ToolResult result = run(args, "", [to, reader, writer] {
        ::dup2(writer, STDOUT_FILENO);
        if (to == Attach::Terminal) {
            ::dup2(writer, STDERR_FILENO);
        }
        ::close(reader);
        ::close(writer);
    }, program);
    ::close(writer);
    ended = true;
    drain.join();
    ::close(reader);
    result.out.assign(received.data(), size);
    return result;
}

ToolResult Scratch::extract(const std::vector<Disk>& disks) const {
    writeImage(image(), disks);
    return run({"d88extract", image().string()});
}

std::map<std::string, Bytes> Scratch::files() const {
    std::map<std::string, Bytes> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(workDir)) {
        const std::string name = entry.path().filename().string();
        found[name] = entry.is_directory() ? text("<dir>") : readFile(entry.path());
    }
    return found;
}
