#include "tests/tool_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

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

void appendUtf8(std::string& out, unsigned codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return;
    }
    // Only the three-byte form is needed: half-width katakana are U+FF61 to U+FF9F.
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
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
    constexpr unsigned char FIRST_KATAKANA = 0xA1;
    constexpr unsigned char LAST_KATAKANA = 0xDF;
    constexpr unsigned KATAKANA_BASE = 0xFF61;
    std::string stored;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            appendUtf8(stored, byte);
        } else if (byte >= FIRST_KATAKANA && byte <= LAST_KATAKANA) {
            appendUtf8(stored, KATAKANA_BASE + (byte - FIRST_KATAKANA));
        } else {
            throw std::invalid_argument("storedName: no code page 932 mapping for this byte");
        }
    }
    return stored;
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
    // Only the two tools have Windows builds to launch.
    const std::string launcher = program.empty() || program == infoPath() ? launcherPath() : "";
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
