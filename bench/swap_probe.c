/* Preloaded into a GL program by saver_bench: counts its buffer swaps from outside, with the
 * process's CPU time, and (when asked) notices the first swap whose frame shows a sky, that is
 * whose top and bottom rows are mostly not black. It writes lines to $ZELVARO_PROBE_LOG:
 *   probe frames=N now=T cpu=C first=F sky=S firstcpu=D
 * T, F and S on CLOCK_MONOTONIC in seconds (S 0 while no sky was seen), C and D (up to the
 * first swap) in seconds of CPU.
 * $ZELVARO_PROBE_SKY=WIDTHxHEIGHT turns the sky probe on for a frame of that size.
 * SDL looks glXSwapBuffers up with dlsym, so dlsym is answered here too; xscreensaver's hacks
 * swap through EGL. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>

typedef void (*SwapFn)(void*, unsigned long);
typedef unsigned (*EglSwapFn)(void*, void*);
typedef void* (*DlsymFn)(void*, const char*);
typedef void* (*ProcAddressFn)(const unsigned char*);
typedef void (*ReadPixelsFn)(int, int, int, int, unsigned, unsigned, void*);

enum { glRgba = 0x1908, glUnsignedByte = 0x1401, widestRow = 8192 };
static const double reportEvery = 0.25; /* seconds */
static const double skyShare = 0.5;     /* of the sampled pixels not black */

static FILE* logFile;
static long frames;
static double firstSwap, firstCpu, skySeen, lastReport;
static int skyWidth, skyHeight;
static SwapFn realSwap;
static EglSwapFn realEglSwap;
static ReadPixelsFn readPixels;
static ProcAddressFn realProcAddress, realProcAddressArb;

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static double CpuSeconds(void) {
    struct rusage r;
    getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_utime.tv_usec / 1e6 + r.ru_stime.tv_sec + r.ru_stime.tv_usec / 1e6;
}

static DlsymFn RealDlsym(void) {
    static DlsymFn found;
    if (!found) found = (DlsymFn)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (!found) found = (DlsymFn)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    return found;
}

static void Report(void) {
    if (!logFile) return;
    fprintf(logFile, "probe frames=%ld now=%.6f cpu=%.6f first=%.6f sky=%.6f firstcpu=%.6f\n", frames, Now(),
            CpuSeconds(), firstSwap, skySeen, firstCpu);
    fflush(logFile);
}

static void OnTerm(int s) {
    (void)s;
    exit(0); /* runs Report through atexit */
}

__attribute__((constructor)) static void Start(void) {
    const char* path = getenv("ZELVARO_PROBE_LOG");
    const char* sky = getenv("ZELVARO_PROBE_SKY");
    if (path) logFile = fopen(path, "a");
    if (sky && sscanf(sky, "%dx%d", &skyWidth, &skyHeight) != 2) skyWidth = skyHeight = 0;
    if (skyWidth > widestRow) skyWidth = widestRow;
    atexit(Report);
    signal(SIGTERM, OnTerm);
}

/* The top and bottom rows of the frame about to be shown: mostly not black means a sky. */
static void LookForSky(void) {
    static unsigned char rows[2][widestRow * 4];
    if (skySeen > 0 || skyWidth <= 0) return;
    if (!readPixels && realProcAddress) readPixels = (ReadPixelsFn)realProcAddress((const unsigned char*)"glReadPixels");
    if (!readPixels && realProcAddressArb)
        readPixels = (ReadPixelsFn)realProcAddressArb((const unsigned char*)"glReadPixels");
    if (!readPixels) return;
    readPixels(0, 0, skyWidth, 1, glRgba, glUnsignedByte, rows[0]);
    readPixels(0, skyHeight - 1, skyWidth, 1, glRgba, glUnsignedByte, rows[1]);
    int lit = 0;
    for (int r = 0; r < 2; ++r)
        for (int x = 0; x < skyWidth; ++x) lit += (rows[r][4 * x] | rows[r][4 * x + 1] | rows[r][4 * x + 2]) != 0;
    if (lit > skyShare * 2 * skyWidth) skySeen = Now();
}

static void CountSwap(void) {
    const double now = Now();
    if (frames++ == 0) firstSwap = now, firstCpu = CpuSeconds();
    if (now - lastReport >= reportEvery) {
        lastReport = now;
        Report();
    }
}

void glXSwapBuffers(void* display, unsigned long drawable) {
    if (!realSwap) realSwap = (SwapFn)RealDlsym()(RTLD_NEXT, "glXSwapBuffers");
    LookForSky();
    realSwap(display, drawable);
    CountSwap();
}

/* xscreensaver's GL hacks draw through EGL. */
unsigned eglSwapBuffers(void* display, void* surface) {
    if (!realEglSwap) realEglSwap = (EglSwapFn)RealDlsym()(RTLD_NEXT, "eglSwapBuffers");
    const unsigned shown = realEglSwap(display, surface);
    CountSwap();
    return shown;
}

void* glXGetProcAddressARB(const unsigned char* name);
void* glXGetProcAddress(const unsigned char* name) {
    if (name && !strcmp((const char*)name, "glXSwapBuffers")) return (void*)glXSwapBuffers;
    if (!realProcAddress) realProcAddress = (ProcAddressFn)RealDlsym()(RTLD_NEXT, "glXGetProcAddress");
    return realProcAddress ? realProcAddress(name) : 0;
}

void* glXGetProcAddressARB(const unsigned char* name) {
    if (name && !strcmp((const char*)name, "glXSwapBuffers")) return (void*)glXSwapBuffers;
    if (!realProcAddressArb) realProcAddressArb = (ProcAddressFn)RealDlsym()(RTLD_NEXT, "glXGetProcAddressARB");
    return realProcAddressArb ? realProcAddressArb(name) : 0;
}

/* A library opened by the program (SDL opens libGL itself) answers through the real dlsym;
 * the swap is taken from the same library, and so is glReadPixels for the sky probe. */
void* dlsym(void* handle, const char* name) {
    if (name && handle != RTLD_NEXT && handle != RTLD_DEFAULT) {
        if (!strcmp(name, "glXSwapBuffers")) {
            if (!realSwap) realSwap = (SwapFn)RealDlsym()(handle, name);
            if (!readPixels) readPixels = (ReadPixelsFn)RealDlsym()(handle, "glReadPixels");
            return (void*)glXSwapBuffers;
        }
        if (!strcmp(name, "glXGetProcAddress")) {
            if (!realProcAddress) realProcAddress = (ProcAddressFn)RealDlsym()(handle, name);
            return (void*)glXGetProcAddress;
        }
        if (!strcmp(name, "glXGetProcAddressARB")) {
            if (!realProcAddressArb) realProcAddressArb = (ProcAddressFn)RealDlsym()(handle, name);
            return (void*)glXGetProcAddressARB;
        }
    }
    return RealDlsym()(handle, name);
}
