#include "temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {
std::vector<std::string> folders;
void RemoveFolders() {
    for (const std::string& f : folders) {
        std::error_code ignored;
        std::filesystem::remove_all(f, ignored);
    }
}
} // namespace

std::string MakeTempFolder() {
    char pattern[] = "/tmp/zelvaro-test-XXXXXX";
    std::string folder = mkdtemp(pattern);
    if (folders.empty()) std::atexit(RemoveFolders);
    folders.push_back(folder);
    return folder;
}

void IsolateRuntimeFolder() { setenv("XDG_RUNTIME_DIR", MakeTempFolder().c_str(), 1); }

std::string InstallProgramCopy(const std::string& folder, bool withEngine) {
    namespace fs = std::filesystem;
    std::string bin = ZELVARO_BIN_DIR;
    fs::copy_file(bin + "/Zelvaro", folder + "/Zelvaro", fs::copy_options::overwrite_existing);
    if (withEngine) {
        fs::copy_file(bin + "/Zelvaro.so", folder + "/Zelvaro.so", fs::copy_options::overwrite_existing);
        if (fs::exists(bin + "/Zelvaro_Sky.zip"))
            fs::copy_file(bin + "/Zelvaro_Sky.zip", folder + "/Zelvaro_Sky.zip", fs::copy_options::overwrite_existing);
    }
    return folder + "/Zelvaro";
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
