/* A library that is not the engine. Preloaded, it wraps dlopen as profilers and sanitizer
   runtimes do, so the loader takes it for the caller; copied as Zelvaro.so onto the library
   search path, it is a foreign library under the engine's name. */
#define _GNU_SOURCE
#include <dlfcn.h>

void* dlopen(const char* file, int mode) {
    static void* (*next)(const char*, int);
    if (!next) next = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
    return next(file, mode);
}
