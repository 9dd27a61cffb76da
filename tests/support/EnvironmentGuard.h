#pragma once
// Sets environment variables for one test and restores them afterwards.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class EnvironmentGuard {
public:
    EnvironmentGuard() = default;
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;
    ~EnvironmentGuard() { Restore(); }

    // A null value removes the variable.
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    // Back to what was there before the first Set, latest change undone first.
    void Restore() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
            else unsetenv(it->first.c_str());
        }
        saved_.clear();
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
