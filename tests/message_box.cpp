// Shows one message box the way the program shows its errors (SDL's simple box, no owner), with
// the title and text of its two arguments: the picture a test expects of the program's own box.
#include <SDL.h>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, argv[1], argv[2], nullptr) == 0 ? 0 : 1;
}
