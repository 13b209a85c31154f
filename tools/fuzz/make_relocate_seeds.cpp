// Seeds for relocate_fuzz: the cache images of real descriptions, as the
// loader writes them to disk, each behind the harness's control byte.
//   make_relocate_seeds OUTDIR DESCRIPTION...
#include "core/model_parser.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void* ZeroedAllocate(size_t size)
{
    return std::calloc(1, size);
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_relocate_seeds OUTDIR DESCRIPTION...\n");
        return 2;
    }
    int written = 0;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::vector<uint8_t> text((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
        ModelParseOptions options = {nullptr, nullptr, ZeroedAllocate};
        ModelContext* image = BuildModelImage(text.data(), text.size(),
                                              u"C:\\drivers\\x64\\3\\SEED.PPD", options);
        if (!image)
            continue;   // descriptions that do not load have no cache
        // Control byte 0: the image as it is; 3: size and version restamped
        // by the harness (identical here, but a good start for mutations).
        for (char control : {'\0', '\3'}) {
            std::string name = std::string(argv[1]) + "/" + BaseName(argv[i]) + "." +
                               std::to_string(int(control)) + ".img";
            std::ofstream out(name, std::ios::binary | std::ios::trunc);
            out.put(control);
            out.write(reinterpret_cast<const char*>(image), image->imageSize);
            written += static_cast<bool>(out);
        }
        std::free(image);
    }
    std::printf("%d seed images\n", written);
    return written ? 0 : 1;
}
