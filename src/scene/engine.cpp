// Loading the engine library and taking its operation table.
#include "scene/engine.h"

#include "platform/os.h"

namespace {
void* engineLibrary = nullptr;
}

int InitEngine3D(int flags, const char* libraryName) {
    // The copy beside the program wins over whatever the library search path, or a preloaded
    // library that wraps the loader, would find; the system's own search comes after it.
    void* library = LoadSharedLibrary(ProgramFolder() + libraryName);
    if (!library) library = LoadSharedLibrary(libraryName);
    if (!library) return 0;
    auto getEngine = reinterpret_cast<ZelvaroGetEngineFn>(SharedLibrarySymbol(library, ZELVARO_ENGINE_ENTRY));
    // A library of another API version answers NULL and counts as missing.
    const ZelvaroEngine* table = getEngine ? getEngine(ZELVARO_ENGINE_VERSION) : nullptr;
    if (!table || table->version != ZELVARO_ENGINE_VERSION || !table->Init(flags)) {
        UnloadSharedLibrary(library);
        return 0;
    }
    engineLibrary = library;
    Engine = table;
    return 1;
}

void ReleaseEngine3D() {
    if (!engineLibrary) return;
    Engine->Shutdown();
    UnloadSharedLibrary(engineLibrary);
    engineLibrary = nullptr;
    Engine = nullptr;
}
