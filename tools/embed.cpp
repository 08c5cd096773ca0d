// Build tool: turns data files into a C++ source holding their bytes.
// usage: zelvaro_embed OUT.cpp SYMBOL FILE...
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT.cpp SYMBOL FILE...\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) return 1;
    std::fprintf(out, "// Generated from the data files; do not edit.\n#include \"data/embedded.h\"\n");
    std::vector<size_t> sizes;
    for (int f = 3; f < argc; ++f) {
        std::ifstream in(argv[f], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[f]);
            return 1;
        }
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(out, "static const unsigned char file%d[] = {", f - 3);
        for (size_t i = 0; i < bytes.size(); ++i) std::fprintf(out, "%s%u,", i % 24 ? "" : "\n", bytes[i]);
        if (bytes.empty()) std::fprintf(out, "0");
        std::fprintf(out, "\n};\n");
        sizes.push_back(bytes.size());
    }
    std::fprintf(out, "extern const EmbeddedFile %s[%d] = {\n", argv[2], argc - 3);
    for (size_t f = 0; f < sizes.size(); ++f) std::fprintf(out, "    {file%zu, %zu},\n", f, sizes[f]);
    std::fprintf(out, "};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
