// Runs d88put and d88extract in a scratch folder, for the d88put suites.
#ifndef TESTS_PUT_RUNNER_H
#define TESTS_PUT_RUNNER_H

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/tool_runner.h"

using Args = std::vector<std::string>;

inline ToolResult put(const Scratch& scratch, const Args& args,
                      const std::function<void()>& beforeExec = {}) {
    Args all{"d88put"};
    all.insert(all.end(), args.begin(), args.end());
    return scratch.run(all, "", beforeExec, putPath());
}

inline ToolResult extract(const Scratch& scratch, const Args& args) {
    Args all{"d88extract"};
    all.insert(all.end(), args.begin(), args.end());
    return scratch.run(all);
}

// No new image and no temporary file of one in the scratch's work folder
// (or `folder` in it).
inline bool nothingNew(const Scratch& scratch, const std::string& folder = "") {
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(scratch.work() / folder)) {
        const std::string name = entry.path().filename().string();
        if (name == "new.d88" || name.rfind(".d88put-", 0) == 0) {
            return false;
        }
    }
    return true;
}

// "d88put: NAME: not put back: REASON\n", as standard error carries it.
inline std::string refused(const std::string& name, const std::string& reason) {
    return console("d88put: " + name + ": not put back: " + reason + "\n");
}

// "d88put: no file changed: NEW is a copy of IMAGE\n", as standard error
// carries it.
inline std::string noFileChanged(const std::string& image, const std::string& output = "new.d88") {
    return console("d88put: no file changed: " + output + " is a copy of " + image + "\n");
}

#endif
