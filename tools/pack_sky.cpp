// Packs files into a zip archive under their bare names: the build makes the sky archive
// beside the program with it, and tests make small archives of their own.
// Usage: zelvaro_pack_sky <archive.zip> <file>...
#include <zip.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

// A fixed time stamp for every entry, so that the same pictures always make the same archive.
constexpr time_t fixedEntryTime = 1767225600; // 2026-01-01

std::string BareName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AddFile(zip_t* archive, const char* path) {
    zip_source_t* source = zip_source_file(archive, path, 0, 0);
    if (!source) return false;
    const zip_int64_t index = zip_file_add(archive, BareName(path).c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    // pictures are compressed already: storing them keeps loading fast
    return zip_set_file_compression(archive, index, ZIP_CM_STORE, 0) == 0 &&
           zip_file_set_mtime(archive, index, fixedEntryTime, 0) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <archive.zip> <file>...\n", argv[0]);
        return 2;
    }
    int error = 0;
    zip_t* archive = zip_open(argv[1], ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        std::fprintf(stderr, "%s: cannot create %s (libzip error %d)\n", argv[0], argv[1], error);
        return 1;
    }
    for (int i = 2; i < argc; ++i)
        if (!AddFile(archive, argv[i])) {
            std::fprintf(stderr, "%s: cannot add %s: %s\n", argv[0], argv[i], zip_strerror(archive));
            zip_discard(archive);
            return 1;
        }
    if (zip_close(archive) != 0) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1], zip_strerror(archive));
        zip_discard(archive);
        return 1;
    }
    return 0;
}
