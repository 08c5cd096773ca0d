// The engine's operations, one declaration per entry of the ZelvaroEngine table, grouped by
// the file that implements them. engine_api.cpp assembles the table from these.
#pragma once
#include <cstdint>

namespace zelvaro {

// ---- engine (engine_api.cpp) ----
int Init(int flags);
void Shutdown();
void SetReferenceRendering(int on);
float Engine3DStatus(int code);

// ---- screen (screen.cpp) ----
int OpenScreen(int width, int height, int depth, const char* title, int syncMode);
int OpenWindowedScreen(uint64_t nativeWindow, int width, int height, int syncMode);
int OpenHiddenScreen(int width, int height);
int ScreenWidth();
int ScreenHeight();
void* ScreenWindow();
void FlipBuffers();
void CloseScreen();
void ReadPixels(int x, int y, int width, int height, unsigned char* rgba);

// ---- 2D images (images.cpp) ----
void SwitchTo2D();
int CreateImage(int width, int height, const unsigned char* rgba);
void DrawImage(int image, int x, int y);
void FreeImage(int image);

// ---- textures, materials, meshes, entities, camera, light (world.cpp) ----
int CreateTexture(int texture, int width, int height);
uint32_t* LockTexture(int texture, int* width, int* height);
void UnlockTexture(int texture);
intptr_t TextureID(int texture);
int CreateMaterial(int material, intptr_t textureId);
void MaterialFilteringMode(int material, int mode);
void MaterialBlendingMode(int material, int mode);
intptr_t MaterialID(int material);

int CreateMesh(int mesh);
void MeshVertexPosition(float x, float y, float z);
void MeshVertexNormal(float x, float y, float z);
void MeshVertexTextureCoordinate(float u, float v);
void MeshVertexColor(int colour);
void MeshFace(int a, int b, int c);
int FinishMesh(int mode);
int IsMesh(int mesh);
void FreeMesh(int mesh);
intptr_t MeshID(int mesh);

int CreateEntity(int entity, intptr_t meshId, intptr_t materialId);
void MoveEntity(int entity, float dx, float dy, float dz);
void MoveEntity2(int entity, float x, float y, float z, int mode);
void RotateEntity(int entity, float a, float b, float c);
void RotateEntity2(int entity, float a, float b, float c, int mode);
float EntityX(int entity);
float EntityY(int entity);
float EntityZ(int entity);

int CreateCamera(int camera, float x, float y, float width, float height);
void MoveCamera(int camera, float dx, float dy, float dz);
void MoveCamera2(int camera, float x, float y, float z, int mode);
float CameraX(int camera);
float CameraY(int camera);
float CameraZ(int camera);
void CameraLookAt(int camera, float x, float y, float z);
int CreateLight(int light, int colour);

// ---- sky (sky_archive.cpp) ----
int Add3DArchive(const char* path, int kind);
int SkyBox(const char* imageName);

// ---- frame (renderer.cpp) ----
void RenderWorld();

} // namespace zelvaro
