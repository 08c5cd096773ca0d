// A stand-in for the system's display settings: a top-level X11 window that hosts the preview.
// It prints its window id, then obeys commands on standard input, one per line:
//   children   prints "N WxH ..." : its child windows and their sizes
//   close      sends the close request (WM_DELETE_WINDOW) to each child window
//   destroy    destroys the host window
//   keys       prints "keys N": the key presses the host has received so far
//   quit       ends the host
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    int width = argc > 2 ? std::atoi(argv[1]) : 152;
    int height = argc > 2 ? std::atoi(argv[2]) : 112;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    Window root = DefaultRootWindow(display);
    Window host = XCreateSimpleWindow(display, root, 40, 40, width, height, 0, 0, 0x404040);
    XStoreName(display, host, "Zelvaro preview host");
    XSelectInput(display, host, KeyPressMask);
    XMapWindow(display, host);
    XSync(display, False);
    std::printf("%lu\n", host);
    std::fflush(stdout);

    Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    std::string command;
    int keyPresses = 0;
    while (std::getline(std::cin, command)) {
        Window rootReturn, parent, *children = nullptr;
        unsigned count = 0;
        if (command == "children" || command == "close") {
            if (!XQueryTree(display, host, &rootReturn, &parent, &children, &count)) count = 0;
        }
        if (command == "children") {
            std::printf("%u", count);
            for (unsigned i = 0; i < count; ++i) {
                XWindowAttributes a;
                XGetWindowAttributes(display, children[i], &a);
                std::printf(" %dx%d%s", a.width, a.height, a.map_state == IsViewable ? "" : "(hidden)");
            }
            std::printf("\n");
            std::fflush(stdout);
        } else if (command == "close") {
            for (unsigned i = 0; i < count; ++i) {
                XEvent e{};
                e.xclient.type = ClientMessage;
                e.xclient.window = children[i];
                e.xclient.message_type = protocols;
                e.xclient.format = 32;
                e.xclient.data.l[0] = static_cast<long>(deleteWindow);
                e.xclient.data.l[1] = CurrentTime;
                XSendEvent(display, children[i], False, NoEventMask, &e);
            }
            XSync(display, False);
            std::printf("sent %u\n", count);
            std::fflush(stdout);
        } else if (command == "destroy") {
            XDestroyWindow(display, host);
            XSync(display, False);
            std::printf("destroyed\n");
            std::fflush(stdout);
        } else if (command == "keys") {
            XSync(display, False);
            while (XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                keyPresses += event.type == KeyPress;
            }
            std::printf("keys %d\n", keyPresses);
            std::fflush(stdout);
        } else if (command == "quit") {
            break;
        }
        if (children) XFree(children);
    }
    XCloseDisplay(display);
    return 0;
}
