// Parameter tables: plain text, one "key = value" per line, '#' starts a comment.
// Depends on kx_log.
#include "tools/assetgen/ag_params.h"

#include <atomic>
#include <cstdlib>
#include <fstream>

#include "engine/app/kx_log.h"

static std::atomic<int> g_missing{0};

static std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

int ag_params_load(ag_params_t* params, const char* path) {
    std::ifstream in(path);
    if (!in) {
        kxLog("assetgen: can't read parameter table %s \n", path);
        return -1;
    }
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
        line_no++;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        line = trim(line);
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            kxLog("assetgen: %s:%d: expected key = value \n", path, line_no);
            return -1;
        }
        const std::string key = trim(line.substr(0, eq));
        const std::string text = trim(line.substr(eq + 1));
        char* end = nullptr;
        const float v = std::strtof(text.c_str(), &end);
        if (key.empty() || text.empty() || *end != 0) {
            kxLog("assetgen: %s:%d: bad value for '%s' \n", path, line_no, key.c_str());
            return -1;
        }
        params->values[key] = v;
    }
    return 0;
}

float ag_param(const ag_params_t& params, const std::string& key) {
    const auto it = params.values.find(key);
    if (it == params.values.end()) {
        kxLog("assetgen: missing parameter '%s' \n", key.c_str());
        g_missing++;
        return 0.0f;
    }
    return it->second;
}

int ag_params_missing() { return g_missing.load(); }
