// The source folders stack: app over settings, scene and motion, over platform, over core and
// data. A file includes only from its own folder and the folders below it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Higher layers may include lower ones; folders of one layer do not include each other.
const std::map<std::string, int> layerOf = {
    {"app", 3}, {"settings", 2}, {"scene", 2}, {"motion", 2}, {"platform", 1}, {"core", 0}, {"data", 0},
};

struct Include {
    std::string file;
    std::string target;
};

std::vector<Include> QuotedIncludes(const fs::path& root) {
    std::vector<Include> found;
    const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line))
            if (std::regex_search(line, match, quoted))
                found.push_back({fs::relative(entry.path(), root).string(), match[1]});
    }
    return found;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find('/')); }

// The rule itself, so that the check below can be shown to catch what it must.
bool IncludeAllowed(const std::string& file, const std::string& target) {
    if (target == "zelvaro_engine.h") return true; // the engine's C API lies under every layer
    if (target.find('/') == std::string::npos) return false; // every other include names its folder
    const std::string from = FolderOf(file), to = FolderOf(target);
    if (from == to) return true;
    auto fromLayer = layerOf.find(from), toLayer = layerOf.find(to);
    if (fromLayer == layerOf.end() || toLayer == layerOf.end()) return false;
    return toLayer->second < fromLayer->second && !(from == "core" || from == "data");
}

TEST(Layering, TheRuleTellsDownFromUpAndSideways) {
    const struct {
        const char* file;
        const char* target;
        bool allowed;
    } cases[] = {
        {"app/display.cpp", "settings/settings.h", true},  {"app/display.cpp", "core/run_mode.h", true},
        {"motion/dance.cpp", "platform/random.h", true},   {"motion/dance.cpp", "core/motion_history.h", true},
        {"platform/input.cpp", "core/engine_table.h", true}, {"scene/engine.h", "zelvaro_engine.h", true},
        {"motion/overlay.cpp", "app/display.h", false},    {"platform/input.cpp", "scene/engine.h", false},
        {"motion/overlay.cpp", "settings/settings.h", false}, {"core/run_mode.h", "platform/os.h", false},
        {"core/motion_history.cpp", "data/embedded.h", false}, {"scene/scene.cpp", "display.h", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " -> " + c.target);
        EXPECT_EQ(IncludeAllowed(c.file, c.target), c.allowed);
    }
}

TEST(Layering, NoIncludeInTheProgramPointsUpOrSideways) {
    const fs::path root = fs::path(ZELVARO_SOURCE_DIR) / "src";
    std::vector<Include> includes = QuotedIncludes(root);
    ASSERT_GT(includes.size(), 50u); // the tree was found
    for (const Include& include : includes)
        EXPECT_TRUE(IncludeAllowed(include.file, include.target)) << include.file << " includes " << include.target;
}

} // namespace
