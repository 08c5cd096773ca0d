/* Zelvaro's 3D engine: a shared library with a flat C API.
 * The library exports one function, ZelvaroGetEngine, that hands out the table of its
 * operations for one API version; a host built for another version gets NULL and must
 * treat the library as missing. Objects are addressed by small caller-chosen numbers
 * (texture 0, camera 0, entities 1..N); meshes and images get theirs from the engine.
 * Each kind of number has a bound, and a number at or beyond it is refused (0 or -1 back):
 * entities and meshes 0..16383, textures and materials 0..255, cameras and lights 0..15.
 * Coordinates are floats, angles degrees, colours 24-bit RGB with red in the low byte.
 * The world is left-handed: a camera looking along +Z with +Y up sees +X to its right. */
#ifndef ZELVARO_ENGINE_H
#define ZELVARO_ENGINE_H

#include <stdint.h>

/* The library's own build defines ZELVARO_EXPORT as its system's way to export this entry;
 * the library's users need none. */
#ifndef ZELVARO_EXPORT
#define ZELVARO_EXPORT
#endif

#define ZELVARO_ENGINE_VERSION 1
#define ZELVARO_ENGINE_ENTRY "ZelvaroGetEngine"

/* Engine3DStatus codes */
#define ENGINE_STATUS_FPS 3
#define ENGINE_STATUS_TRIANGLES 5
#define ENGINE_STATUS_SKY 6 /* 0: no sky; 1: the sky is drawn; 2: its picture is still decoding */

typedef struct ZelvaroEngine {
    int version; /* ZELVARO_ENGINE_VERSION */

    /* ---- engine ---- */
    int (*Init)(int flags);    /* starts the engine (no screen needed); non-zero on success */
    void (*Shutdown)(void);    /* frees everything, closes the screen */
    void (*SetReferenceRendering)(int on); /* 1: one draw call per entity (benchmark reference) */

    /* ---- screen ---- */
    /* Full screen at width x height (the desktop's own mode when that size cannot be shown);
     * syncMode 2 makes every flip wait for the vertical refresh. Non-zero on success. */
    int (*OpenScreen)(int width, int height, int depth, const char* title, int syncMode);
    /* A screen drawn into an existing native window (an X11 window id, an HWND). */
    int (*OpenWindowedScreen)(uint64_t nativeWindow, int width, int height, int syncMode);
    /* A hidden window of the given size, for tests and off-screen pictures. */
    int (*OpenHiddenScreen)(int width, int height);
    int (*ScreenWidth)(void);  /* size of what really opened */
    int (*ScreenHeight)(void);
    void* (*ScreenWindow)(void); /* the SDL_Window* of the open screen, or NULL */
    void (*SwitchTo2D)(void);  /* after RenderWorld: 2D images draw over the frame */
    void (*FlipBuffers)(void); /* ends 2D drawing, shows the frame */
    void (*CloseScreen)(void);
    /* Reads the back buffer as RGBA bytes, rows from the top (x, y from the top-left). */
    void (*ReadPixels)(int x, int y, int width, int height, unsigned char* rgba);

    /* ---- 2D images ---- */
    /* An image from RGBA bytes; pixels with alpha 0 are transparent. 0 on failure. */
    int (*CreateImage)(int width, int height, const unsigned char* rgba);
    void (*DrawImage)(int image, int x, int y); /* unscaled, clipped at the screen edges */
    void (*FreeImage)(int image);

    /* ---- textures and materials ---- */
    int (*CreateTexture)(int texture, int width, int height); /* blank (black, opaque) */
    /* Lends the texture's pixels for 2D drawing: one uint32 per pixel, bytes R, G, B, A in
     * memory order, rows from the top, no padding. NULL if there is no such texture. */
    uint32_t* (*LockTexture)(int texture, int* width, int* height);
    void (*UnlockTexture)(int texture); /* hands the pixels back; uploaded at the next render */
    intptr_t (*TextureID)(int texture);
    int (*CreateMaterial)(int material, intptr_t textureId);
    /* 0: nearest texel, no mipmaps (flat palette cells stay flat); 1 (the default): bilinear */
    void (*MaterialFilteringMode)(int material, int mode);
    /* 1 (the default): opaque; 2: mixed by the texture's alpha; 3: added */
    void (*MaterialBlendingMode)(int material, int mode);
    intptr_t (*MaterialID)(int material);

    /* ---- meshes, built vertex by vertex ---- */
    int (*CreateMesh)(int mesh); /* -1: the engine picks the number; returns it */
    void (*MeshVertexPosition)(float x, float y, float z); /* starts a new vertex */
    void (*MeshVertexNormal)(float x, float y, float z);
    void (*MeshVertexTextureCoordinate)(float u, float v);
    void (*MeshVertexColor)(int colour);
    void (*MeshFace)(int a, int b, int c); /* zero-based vertex indices */
    int (*FinishMesh)(int mode);
    int (*IsMesh)(int mesh);
    void (*FreeMesh)(int mesh); /* entities made from it keep their own copy */
    intptr_t (*MeshID)(int mesh);

    /* ---- entities (plain CPU state; never touch OpenGL) ---- */
    int (*CreateEntity)(int entity, intptr_t meshId, intptr_t materialId);
    void (*MoveEntity)(int entity, float dx, float dy, float dz);          /* relative, world axes */
    void (*MoveEntity2)(int entity, float x, float y, float z, int mode);  /* mode 0: absolute, 1: relative */
    /* Sets the orientation: a degrees about the world X axis, then b about Y, then c about Z. */
    void (*RotateEntity)(int entity, float a, float b, float c);
    void (*RotateEntity2)(int entity, float a, float b, float c, int mode); /* mode 0: set, 1: add */
    float (*EntityX)(int entity);
    float (*EntityY)(int entity);
    float (*EntityZ)(int entity);

    /* ---- camera and light ---- */
    int (*CreateCamera)(int camera, float x, float y, float width, float height); /* per cent */
    void (*MoveCamera)(int camera, float dx, float dy, float dz);
    void (*MoveCamera2)(int camera, float x, float y, float z, int mode);  /* mode 0: absolute, 1: relative */
    float (*CameraX)(int camera);
    float (*CameraY)(int camera);
    float (*CameraZ)(int camera);
    void (*CameraLookAt)(int camera, float x, float y, float z); /* world Y axis up */
    /* A directional light of that colour from above, left and the camera's start side, with
     * some of it from everywhere so that no face is black. */
    int (*CreateLight)(int light, int colour);

    /* ---- sky ---- */
    int (*Add3DArchive)(const char* path, int kind); /* kind 1: zip; its files load by bare name */
    /* An equirectangular PNG panorama (full width one turn, height pole to pole, at most
     * 8192 x 4096) from a registered archive; 0 when missing, too large or not a whole PNG
     * file, and the sky is then black. The picture is decoded off the caller's thread: the sky
     * shows from the first RenderWorld after it is ready (or stays black if it fails). */
    int (*SkyBox)(const char* imageName);

    /* ---- frame ---- */
    void (*RenderWorld)(void);
    float (*Engine3DStatus)(int code);
} ZelvaroEngine;

typedef const ZelvaroEngine* (*ZelvaroGetEngineFn)(int version);

#ifdef __cplusplus
extern "C"
#endif
ZELVARO_EXPORT const ZelvaroEngine* ZelvaroGetEngine(int version);

#endif
