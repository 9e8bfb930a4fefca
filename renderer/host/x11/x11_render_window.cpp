// X11RenderWindow: window creation or adoption, GLX context, buffer swap and teardown.
#include "host/x11/x11_render_window.h"

#include <X11/extensions/Xrandr.h>

#include "host/extension_list.h"
#include "host/viewport.h"

namespace {

// The last protocol error code Xlib reported (0: none since the last reset); Xlib's error
// handler is process-wide, so its record is too.
int lastX11Error = 0;

int recordX11Error(Display*, XErrorEvent* event) {
    lastX11Error = event->error_code;
    return 0;
}

// True when the requests made since the last call all succeeded.
bool requestsSucceeded(Display* display) {
    XSync(display, False);
    const bool succeeded = lastX11Error == 0;
    lastX11Error = 0;
    return succeeded;
}

bool hasGlxExtension(Display* display, int screen, const char* name) {
    return extensionListHas(glXQueryExtensionsString(display, screen), name);
}

// Where the driver can, swaps wait for the display's refresh, as on Windows; the frame
// loop sleeps out the period itself where they do not.
void requestSwapInterval(Display* display, int screen, GLXDrawable drawable) {
    if (hasGlxExtension(display, screen, "GLX_EXT_swap_control")) {
        using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
        const auto setInterval = reinterpret_cast<SwapIntervalExt>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (setInterval != nullptr) {
            setInterval(display, drawable, 1);
        }
    } else if (hasGlxExtension(display, screen, "GLX_MESA_swap_control")) {
        using SwapIntervalMesa = int (*)(unsigned int);
        const auto setInterval = reinterpret_cast<SwapIntervalMesa>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (setInterval != nullptr) {
            setInterval(1);
        }
    }
}

// Refreshes per second of the display showing the drawable: GLX's own figure for it where
// the driver has GLX_OML_sync_control, else RandR's for the screen; 0 when neither knows.
int32_t queryRefreshRate(Display* display, int screen, GLXDrawable drawable) {
    if (hasGlxExtension(display, screen, "GLX_OML_sync_control")) {
        using GetMscRate = Bool (*)(Display*, GLXDrawable, int32_t*, int32_t*);
        const auto getRate = reinterpret_cast<GetMscRate>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXGetMscRateOML")));
        int32_t numerator = 0;
        int32_t denominator = 0;
        if (getRate != nullptr && getRate(display, drawable, &numerator, &denominator) &&
            numerator > 0 && denominator > 0) {
            return (numerator + denominator / 2) / denominator;
        }
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) {
        return 0;
    }
    XRRScreenConfiguration* configuration = XRRGetScreenInfo(display, RootWindow(display, screen));
    if (configuration == nullptr) {
        return 0;
    }
    const short rate = XRRConfigCurrentRate(configuration);
    XRRFreeScreenConfigInfo(configuration);
    return rate;
}

}  // namespace

void installX11ErrorRecorder() {
    XSetErrorHandler(&recordX11Error);
}

X11RenderWindow::X11RenderWindow(Display* display, Window adoptedWindow,
                                 const WindowRequest& request)
    : display_(display) {
    try {
        requestsSucceeded(display_);  // forget errors of earlier requests
        if (adoptedWindow == 0) {
            createOwnWindow(request);
        } else {
            adoptWindow(adoptedWindow);
        }
        createContext();
    } catch (...) {
        release();
        throw;
    }
    if (ownsWindow_) {
        XMapRaised(display_, window_);
    }
    XFlush(display_);
    resizeViewport(width_, height_);
}

X11RenderWindow::~X11RenderWindow() {
    release();
}

void X11RenderWindow::createOwnWindow(const WindowRequest& request) {
    const int screen = DefaultScreen(display_);
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1,   GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE,
        1,        GLX_DEPTH_SIZE,   16,           None};
    visual_ = glXChooseVisual(display_, screen, attributes);
    if (visual_ == nullptr) {
        throw "no double-buffered RGBA OpenGL visual on this display";
    }
    const Window root = RootWindow(display_, screen);
    colormap_ = XCreateColormap(display_, root, visual_->visual, AllocNone);

    XSetWindowAttributes attributesOfWindow{};
    attributesOfWindow.colormap = colormap_;
    attributesOfWindow.background_pixel = BlackPixel(display_, screen);
    attributesOfWindow.border_pixel = 0;
    attributesOfWindow.event_mask =
        KeyPressMask | KeyReleaseMask | StructureNotifyMask | VisibilityChangeMask;
    width_ = request.width;
    height_ = request.height;
    window_ = XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(width_),
                            static_cast<unsigned>(height_), 0, visual_->depth, InputOutput,
                            visual_->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                            &attributesOfWindow);
    if (!requestsSucceeded(display_) || window_ == 0) {
        window_ = 0;
        throw "cannot create the window";
    }
    ownsWindow_ = true;
    XStoreName(display_, window_, request.title);
    XClassHint classHint{};
    char className[] = "Velmora";
    char instanceName[] = "velmora";
    classHint.res_name = instanceName;
    classHint.res_class = className;
    XSetClassHint(display_, window_, &classHint);
    Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow, 1);
}

void X11RenderWindow::adoptWindow(Window window) {
    XWindowAttributes attributes{};
    const Status found = XGetWindowAttributes(display_, window, &attributes);
    if (!requestsSucceeded(display_) || found == 0) {
        throw "the window to draw on does not exist";
    }
    // Its own visual, whatever the owner chose: GL must support it.
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    wanted.screen = XScreenNumberOfScreen(attributes.screen);
    int count = 0;
    visual_ = XGetVisualInfo(display_, VisualIDMask | VisualScreenMask, &wanted, &count);
    int usesGl = 0;
    if (visual_ == nullptr || glXGetConfig(display_, visual_, GLX_USE_GL, &usesGl) != 0 ||
        usesGl == 0) {
        throw "the window to draw on has no OpenGL visual";
    }
    int doubleBuffered = 0;
    glXGetConfig(display_, visual_, GLX_DOUBLEBUFFER, &doubleBuffered);
    doubleBuffered_ = doubleBuffered != 0;
    // Only its size, its end and whether it is seen are of interest: the owner handles the
    // keys. The root window is never covered in X's terms; the screen saver's status on it
    // says when its own window hides the root.
    long events = StructureNotifyMask | VisibilityChangeMask;
    if (window == RootWindow(display_, wanted.screen)) {
        events |= PropertyChangeMask;
    }
    XSelectInput(display_, window, events);
    window_ = window;
    width_ = attributes.width;
    height_ = attributes.height;
}

void X11RenderWindow::createContext() {
    context_ = glXCreateContext(display_, visual_, nullptr, True);
    if (context_ == nullptr || !requestsSucceeded(display_)) {
        throw "cannot create the OpenGL context";
    }
    if (!glXMakeCurrent(display_, window_, context_) || !requestsSucceeded(display_)) {
        throw "cannot make the OpenGL context current";
    }
    requestSwapInterval(display_, visual_->screen, window_);
    refreshRateHz_ = queryRefreshRate(display_, visual_->screen, window_);
    requestsSucceeded(display_);  // a driver without the figure may have complained
}

void X11RenderWindow::windowLost() {
    if (!lost_ && context_ != nullptr) {
        glXMakeCurrent(display_, None, nullptr);
    }
    lost_ = true;
}

void X11RenderWindow::release() {
    if (context_ != nullptr) {
        glXMakeCurrent(display_, None, nullptr);
        glXDestroyContext(display_, context_);
        context_ = nullptr;
    }
    if (window_ != 0) {
        if (ownsWindow_) {
            XDestroyWindow(display_, window_);
        } else if (!lost_) {
            XSelectInput(display_, window_, NoEventMask);
        }
        window_ = 0;
    }
    if (colormap_ != 0) {
        XFreeColormap(display_, colormap_);
        colormap_ = 0;
    }
    if (visual_ != nullptr) {
        XFree(visual_);
        visual_ = nullptr;
    }
    // An adopted window may be gone by now: its errors are of no interest any more.
    requestsSucceeded(display_);
}

void X11RenderWindow::swapBuffers() {
    if (lost_) {
        return;
    }
    if (doubleBuffered_) {
        glXSwapBuffers(display_, window_);
    } else {
        glFlush();  // a single-buffered visual shows the frame as it is drawn
    }
}
