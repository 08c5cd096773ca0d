// The sky's decoding on a thread of the engine's own, so that the first frames never wait for
// the panorama. One load at a time; the render thread takes its result when it has ended.
#include <thread>

#include "sky.h"

namespace zelvaro {
namespace {

struct Load {
    std::thread thread;
    std::atomic<bool> cancel{false};
    std::atomic<bool> ended{false};
    bool ok = false;
    SkyPicture picture;
};

// Never destroyed with the process: a load still running at exit simply ends with it.
Load* load = nullptr;

void Run(Load* l, SkyRequest request) {
    if (request.file.empty())
        ReadArchiveFile(request.archives, request.name, LargestSkyFile(request.width, request.height), request.file);
    l->ok = !request.file.empty() && DecodeSkyPicture(request.file, request.width, request.height, request.firstLevel,
                                                      request.levelCount, l->cancel, l->picture);
    std::vector<uint8_t>().swap(request.file); // the file's bytes are not kept while the result waits
    l->ended.store(true, std::memory_order_release);
}

} // namespace

void StartSkyLoad(SkyRequest request) {
    StopSkyLoad();
    load = new Load;
    load->thread = std::thread(Run, load, std::move(request));
}

bool SkyLoadRunning() { return load != nullptr; }

bool TakeSkyLoad(SkyPicture& picture, bool& ok) {
    if (!load || !load->ended.load(std::memory_order_acquire)) return false;
    load->thread.join();
    ok = load->ok;
    picture = std::move(load->picture);
    delete load;
    load = nullptr;
    return true;
}

void StopSkyLoad() {
    if (!load) return;
    load->cancel.store(true, std::memory_order_relaxed);
    load->thread.join();
    delete load;
    load = nullptr;
}

} // namespace zelvaro
