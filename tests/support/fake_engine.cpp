#include "fake_engine.h"

#include "core/engine_table.h"

FakeEngineState FakeEngine;

namespace {

void Log(const char* name, std::vector<double> args, std::string text = std::string()) {
    if (FakeEngine.record) FakeEngine.calls.push_back({name, std::move(args), std::move(text)});
}

ZelvaroEngine MakeTable() {
    ZelvaroEngine t{};
    t.version = ZELVARO_ENGINE_VERSION;
    t.Init = [](int flags) { Log("Init", {double(flags)}); return 1; };
    t.Shutdown = [] { Log("Shutdown", {}); };
    t.SetReferenceRendering = [](int on) { Log("SetReferenceRendering", {double(on)}); };
    t.OpenScreen = [](int w, int h, int d, const char* title, int sync) {
        Log("OpenScreen", {double(w), double(h), double(d), double(sync)}, title);
        return 1;
    };
    t.OpenWindowedScreen = [](uint64_t win, int w, int h, int sync) {
        Log("OpenWindowedScreen", {double(win), double(w), double(h), double(sync)});
        return 1;
    };
    t.OpenHiddenScreen = [](int w, int h) { Log("OpenHiddenScreen", {double(w), double(h)}); return 1; };
    t.ScreenWidth = [] { return 0; };
    t.ScreenHeight = [] { return 0; };
    t.ScreenWindow = []() -> void* { return nullptr; };
    t.SwitchTo2D = [] { Log("SwitchTo2D", {}); };
    t.FlipBuffers = [] { Log("FlipBuffers", {}); };
    t.CloseScreen = [] { Log("CloseScreen", {}); };
    t.ReadPixels = [](int, int, int, int, unsigned char*) {};
    t.CreateImage = [](int w, int h, const unsigned char*) {
        Log("CreateImage", {double(w), double(h)});
        return FakeEngine.nextImage++;
    };
    t.DrawImage = [](int image, int x, int y) { Log("DrawImage", {double(image), double(x), double(y)}); };
    t.FreeImage = [](int image) { Log("FreeImage", {double(image)}); };
    t.CreateTexture = [](int tex, int w, int h) {
        Log("CreateTexture", {double(tex), double(w), double(h)});
        FakeEngine.textures[tex].assign(size_t(w) * h, 0xFF000000u);
        FakeEngine.textureWidths[tex] = w;
        return 1;
    };
    t.LockTexture = [](int tex, int* w, int* h) -> uint32_t* {
        Log("LockTexture", {double(tex)});
        auto found = FakeEngine.textures.find(tex);
        if (found == FakeEngine.textures.end()) return nullptr;
        *w = FakeEngine.textureWidths[tex];
        *h = int(found->second.size()) / *w;
        return found->second.data();
    };
    t.UnlockTexture = [](int tex) { Log("UnlockTexture", {double(tex)}); };
    t.TextureID = [](int tex) -> intptr_t { Log("TextureID", {double(tex)}); return 1000 + tex; };
    t.CreateMaterial = [](int mat, intptr_t tex) { Log("CreateMaterial", {double(mat), double(tex)}); return 1; };
    t.MaterialFilteringMode = [](int mat, int mode) { Log("MaterialFilteringMode", {double(mat), double(mode)}); };
    t.MaterialBlendingMode = [](int mat, int mode) { Log("MaterialBlendingMode", {double(mat), double(mode)}); };
    t.MaterialID = [](int mat) -> intptr_t { Log("MaterialID", {double(mat)}); return 2000 + mat; };
    t.CreateMesh = [](int mesh) {
        Log("CreateMesh", {double(mesh)});
        ++FakeEngine.meshesAlive;
        return mesh >= 0 ? mesh : FakeEngine.nextMesh++;
    };
    t.MeshVertexPosition = [](float x, float y, float z) { Log("MeshVertexPosition", {x, y, z}); };
    t.MeshVertexNormal = [](float x, float y, float z) { Log("MeshVertexNormal", {x, y, z}); };
    t.MeshVertexTextureCoordinate = [](float u, float v) { Log("MeshVertexTextureCoordinate", {u, v}); };
    t.MeshVertexColor = [](int colour) { Log("MeshVertexColor", {double(colour)}); };
    t.MeshFace = [](int a, int b, int c) { Log("MeshFace", {double(a), double(b), double(c)}); };
    t.FinishMesh = [](int mode) { Log("FinishMesh", {double(mode)}); return 1; };
    t.IsMesh = [](int mesh) { Log("IsMesh", {double(mesh)}); return FakeEngine.isMeshAnswer; };
    t.FreeMesh = [](int mesh) { Log("FreeMesh", {double(mesh)}); --FakeEngine.meshesAlive; };
    t.MeshID = [](int mesh) -> intptr_t { Log("MeshID", {double(mesh)}); return 3000 + mesh; };
    t.CreateEntity = [](int e, intptr_t mesh, intptr_t mat) {
        Log("CreateEntity", {double(e), double(mesh), double(mat)});
        FakeEngine.entities[e] = FakePlace{};
        return 1;
    };
    t.MoveEntity = [](int e, float dx, float dy, float dz) {
        Log("MoveEntity", {double(e), dx, dy, dz});
        FakePlace& p = FakeEngine.entities[e];
        p.x += dx, p.y += dy, p.z += dz;
    };
    t.MoveEntity2 = [](int e, float x, float y, float z, int mode) {
        Log("MoveEntity2", {double(e), x, y, z, double(mode)});
        FakePlace& p = FakeEngine.entities[e];
        p.x = x, p.y = y, p.z = z;
    };
    t.RotateEntity = [](int e, float a, float b, float c) {
        Log("RotateEntity", {double(e), a, b, c});
        FakePlace& p = FakeEngine.entities[e];
        p.a = a, p.b = b, p.c = c;
    };
    t.RotateEntity2 = [](int e, float a, float b, float c, int mode) {
        Log("RotateEntity2", {double(e), a, b, c, double(mode)});
        FakePlace& p = FakeEngine.entities[e];
        p.a = a, p.b = b, p.c = c;
    };
    t.EntityX = [](int e) { Log("EntityX", {double(e)}); return FakeEngine.entities[e].x; };
    t.EntityY = [](int e) { Log("EntityY", {double(e)}); return FakeEngine.entities[e].y; };
    t.EntityZ = [](int e) { Log("EntityZ", {double(e)}); return FakeEngine.entities[e].z; };
    t.CreateCamera = [](int cam, float x, float y, float w, float h) {
        Log("CreateCamera", {double(cam), x, y, w, h});
        FakeEngine.cameras[cam] = FakePlace{};
        return 1;
    };
    t.MoveCamera = [](int cam, float dx, float dy, float dz) {
        Log("MoveCamera", {double(cam), dx, dy, dz});
        FakePlace& p = FakeEngine.cameras[cam];
        p.x += dx, p.y += dy, p.z += dz;
    };
    t.MoveCamera2 = [](int cam, float x, float y, float z, int mode) {
        Log("MoveCamera2", {double(cam), x, y, z, double(mode)});
        FakePlace& p = FakeEngine.cameras[cam];
        p.x = x, p.y = y, p.z = z;
    };
    t.CameraX = [](int cam) { Log("CameraX", {double(cam)}); return FakeEngine.cameras[cam].x; };
    t.CameraY = [](int cam) { Log("CameraY", {double(cam)}); return FakeEngine.cameras[cam].y; };
    t.CameraZ = [](int cam) { Log("CameraZ", {double(cam)}); return FakeEngine.cameras[cam].z; };
    t.CameraLookAt = [](int cam, float x, float y, float z) { Log("CameraLookAt", {double(cam), x, y, z}); };
    t.CreateLight = [](int light, int colour) { Log("CreateLight", {double(light), double(colour)}); return 1; };
    t.Add3DArchive = [](const char* path, int kind) { Log("Add3DArchive", {double(kind)}, path); return 1; };
    t.SkyBox = [](const char* name) { Log("SkyBox", {}, name); return 1; };
    t.RenderWorld = [] { Log("RenderWorld", {}); };
    t.Engine3DStatus = [](int code) {
        Log("Engine3DStatus", {double(code)});
        return code == 3 ? FakeEngine.status3 : code == 5 ? FakeEngine.status5 : 0.0f;
    };
    return t;
}

} // namespace

ZelvaroEngine FakeEngineTable = MakeTable();

void UseFakeEngine() {
    FakeEngine = FakeEngineState{};
    Engine = &FakeEngineTable;
}

std::vector<EngineCall> CallsNamed(const std::string& name) {
    std::vector<EngineCall> found;
    for (const EngineCall& call : FakeEngine.calls)
        if (call.name == name) found.push_back(call);
    return found;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const EngineCall& call : FakeEngine.calls) names.push_back(call.name);
    return names;
}
