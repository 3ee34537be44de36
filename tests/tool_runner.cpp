#include "tests/tool_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
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
        ::execv(tool.c_str(), argv.data());
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
