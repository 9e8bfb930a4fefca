// CommandWindow: window class, backing bitmap, skin copies, caption and message handlers.
#include "controls/win32_command_window.h"

#include "controls_resources.h"
#include "win32_text.h"

namespace {

constexpr const wchar_t* kWindowClass = L"VelmoraCommand";
constexpr UINT_PTR kHoverTimerId = 1;

HINSTANCE programInstance() {
    return GetModuleHandleW(nullptr);
}

int skinResource(Skin skin) {
    switch (skin) {
        case Skin::Normal:
            return IDB_SKIN_NORMAL;
        case Skin::HighLight:
            return IDB_SKIN_HIGHLIGHT;
        case Skin::Pressed:
            return IDB_SKIN_PRESSED;
        case Skin::Selected:
            return IDB_SKIN_SELECTED;
        case Skin::HighLightSelect:
            return IDB_SKIN_HIGHLIGHTSELECT;
        case Skin::Disable:
            return IDB_SKIN_DISABLE;
    }
    return IDB_SKIN_NORMAL;
}

bool registerWindowClass(WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(programInstance(), kWindowClass, &existing)) {
        return true;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // No CS_HREDRAW/CS_VREDRAW: the backing bitmap is repainted by the resize handler.
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = programInstance();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

// Shift state of the mouse handlers: 1 Shift, 2 Ctrl, 4 Alt.
int16_t shiftState(WPARAM keys) {
    int16_t shift = 0;
    if (keys & MK_SHIFT) {
        shift |= 1;
    }
    if (keys & MK_CONTROL) {
        shift |= 2;
    }
    if (GetKeyState(VK_MENU) < 0) {
        shift |= 4;
    }
    return shift;
}

// Buttons held during a move: 1 left, 2 right, 4 middle.
int16_t heldButtons(WPARAM keys) {
    int16_t buttons = 0;
    if (keys & MK_LBUTTON) {
        buttons |= kLeftButton;
    }
    if (keys & MK_RBUTTON) {
        buttons |= kRightButton;
    }
    if (keys & MK_MBUTTON) {
        buttons |= kMiddleButton;
    }
    return buttons;
}

int32_t positionX(LPARAM position) {
    return static_cast<int16_t>(LOWORD(position));
}

int32_t positionY(LPARAM position) {
    return static_cast<int16_t>(HIWORD(position));
}

}  // namespace

CommandWindow::CommandWindow() = default;

std::unique_ptr<CommandWindow> CommandWindow::create(HWND parent, const TwipsRect& placement,
                                                     int controlId, PropertyBag* design,
                                                     const FontDescription& ambientFont) {
    if (!registerWindowClass(&windowProcedure)) {
        return nullptr;
    }
    std::unique_ptr<CommandWindow> button(new CommandWindow());
    const velmora::WindowDc screen(nullptr);
    if (screen.get() != nullptr) {
        button->dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    if (button->dpi_ <= 0) {
        button->dpi_ = kStandardDpi;
    }
    for (Skin skin : {Skin::Normal, Skin::HighLight, Skin::Pressed, Skin::Selected,
                      Skin::HighLightSelect, Skin::Disable}) {
        button->skins_[static_cast<int>(skin)].reset(
            static_cast<HBITMAP>(LoadImageW(programInstance(), MAKEINTRESOURCEW(skinResource(skin)),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    }
    button->skinDc_ = velmora::MemoryDc(nullptr);

    HWND window = CreateWindowExW(
        0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
        button->toPixels(placement.left), button->toPixels(placement.top),
        button->toPixels(placement.width), button->toPixels(placement.height), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), programInstance(), nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    button->window_ = window;
    button->control_ = std::make_unique<Command>(*button);
    // Messages reach the object only once its Command exists; the size message of the
    // creation is repeated below.
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(button.get()));

    if (design != nullptr) {
        button->control_->readProperties(*design, ambientFont);
    }
    RECT client{};
    GetClientRect(window, &client);
    button->onSize(client.right, client.bottom);
    return button;
}

CommandWindow::~CommandWindow() {
    if (window_ != nullptr && IsWindow(window_)) {
        KillTimer(window_, kHoverTimerId);
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void CommandWindow::invalidate() {
    // Never with a null window: that would invalidate the whole desktop.
    if (window_ != nullptr) {
        InvalidateRect(window_, nullptr, FALSE);
    }
}

int32_t CommandWindow::toPixels(int32_t twips) const {
    return twipsToPixels(twips, dpi_);
}

int32_t CommandWindow::toTwips(int32_t pixels) const {
    return pixelsToTwips(pixels, dpi_);
}

// --- ButtonSurface -------------------------------------------------------------------------

TwipsRect CommandWindow::bounds() {
    RECT client{};
    GetClientRect(window_, &client);
    return TwipsRect{0, 0, toTwips(client.right), toTwips(client.bottom)};
}

PixelSize CommandWindow::clientPixels() {
    RECT client{};
    GetClientRect(window_, &client);
    return PixelSize{client.right, client.bottom};
}

void CommandWindow::clear() {
    if (backing_.dc() == nullptr) {
        return;
    }
    const RECT all{0, 0, backing_.width(), backing_.height()};
    FillRect(backing_.dc(), &all, GetSysColorBrush(COLOR_BTNFACE));
}

bool CommandWindow::fillGradient(const GradientRequest& request) {
    if (backing_.dc() == nullptr) {
        return false;
    }
    TRIVERTEX vertices[2] = {};
    for (int i = 0; i < 2; ++i) {
        vertices[i].x = request.vertices[i].x;
        vertices[i].y = request.vertices[i].y;
        vertices[i].Red = request.vertices[i].red;
        vertices[i].Green = request.vertices[i].green;
        vertices[i].Blue = request.vertices[i].blue;
        vertices[i].Alpha = request.vertices[i].alpha;
    }
    GRADIENT_RECT rectangle{request.upperLeft, request.lowerRight};
    return GradientFill(backing_.dc(), vertices, 2, &rectangle, 1, GRADIENT_FILL_RECT_V) != FALSE;
}

void CommandWindow::copySkinPiece(Skin skin, const SkinPiece& piece) {
    HBITMAP picture = skins_[static_cast<int>(skin)].get();
    HDC backing = backing_.dc();
    if (backing == nullptr || skinDc_.get() == nullptr || picture == nullptr) {
        return;  // a missing picture leaves the gradient showing
    }
    const int32_t width = toPixels(piece.destination.width);
    const int32_t height = toPixels(piece.destination.height);
    if (width <= 0 || height <= 0) {
        return;  // a button narrower or lower than its two corners
    }
    skinDc_.select(picture);
    SetStretchBltMode(backing, COLORONCOLOR);
    StretchBlt(backing, toPixels(piece.destination.left), toPixels(piece.destination.top), width,
               height, skinDc_.get(), toPixels(piece.source.left), toPixels(piece.source.top),
               toPixels(piece.source.width), toPixels(piece.source.height), SRCCOPY);
}

void CommandWindow::refresh() {
    if (window_ != nullptr) {
        InvalidateRect(window_, nullptr, FALSE);
        UpdateWindow(window_);
    }
}

void CommandWindow::placeCaption(const TwipsRect& area) {
    const RECT placed{toPixels(area.left), toPixels(area.top),
                      toPixels(area.left) + toPixels(area.width),
                      toPixels(area.top) + toPixels(area.height)};
    if (!EqualRect(&placed, &captionRect_)) {
        captionRect_ = placed;
        invalidate();
    }
}

void CommandWindow::setCaptionText(const std::string& text) {
    captionText_ = velmora::utf8ToWide(text);
    if (window_ != nullptr) {
        SetWindowTextW(window_, captionText_.c_str());  // for accessibility tools
    }
    invalidate();
}

void CommandWindow::setCaptionFont(const FontDescription& font) {
    // Point size in hundredths: character height in pixels at the system DPI.
    const int height = -MulDiv(font.sizeCentipoints, dpi_, 7200);
    HFONT created =
        CreateFontW(height, 0, 0, 0, font.weight, font.italic, font.underline, font.strikethrough,
                    font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, velmora::utf8ToWide(font.faceName).c_str());
    if (created == nullptr) {
        return;  // the old font stays
    }
    captionFont_.reset(created);
    invalidate();
}

bool CommandWindow::setCaptionColour(uint32_t colour) {
    // A plain 0x00BBGGRR colour, or a system colour as 0x800000nn.
    if ((colour & 0xFF000000u) == 0) {
        captionColour_ = static_cast<COLORREF>(colour);
    } else if ((colour & 0xFFFFFF00u) == 0x80000000u && (colour & 0xFFu) <= COLOR_MENUBAR) {
        captionColour_ = GetSysColor(static_cast<int>(colour & 0xFFu));
    } else {
        return false;
    }
    invalidate();
    return true;
}

void CommandWindow::setCaptionEnabled(bool enabled) {
    if (captionEnabled_ != enabled) {
        captionEnabled_ = enabled;
        invalidate();
    }
}

void CommandWindow::setBackgroundOpaque(bool opaque) {
    if (opaque_ != opaque) {
        opaque_ = opaque;
        invalidate();
    }
}

void CommandWindow::startTimer(uint32_t intervalMilliseconds) {
    if (window_ != nullptr) {
        SetTimer(window_, kHoverTimerId, intervalMilliseconds, nullptr);
    }
}

bool CommandWindow::pointerIsOverControl() {
    POINT pointer{0, 0};
    if (!GetCursorPos(&pointer)) {
        return true;  // nothing known: keep the current look
    }
    // The caption has no window of its own, so over the caption is over the button.
    return WindowFromPoint(pointer) == window_;
}

void CommandWindow::propertyChanged(const char* /*name*/) {
    // The front-end keeps no design data of its own to mark as changed.
}

// --- Painting ----------------------------------------------------------------------------

void CommandWindow::drawParentBackground(HDC target) {
    // A transparent button shows what its parent draws beneath it.
    HWND parent = GetParent(window_);
    POINT origin{0, 0};
    MapWindowPoints(window_, parent, &origin, 1);
    POINT previous{0, 0};
    OffsetViewportOrgEx(target, -origin.x, -origin.y, &previous);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target), PRF_CLIENT);
    SetViewportOrgEx(target, previous.x, previous.y, nullptr);
}

void CommandWindow::drawCaption(HDC target) {
    if (captionText_.empty()) {
        return;
    }
    const velmora::SelectedObject font(target, captionFont_.get());
    SetBkMode(target, TRANSPARENT);
    const UINT format = DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;
    RECT area = captionRect_;
    if (captionEnabled_) {
        SetTextColor(target, captionColour_);
        DrawTextW(target, captionText_.c_str(), static_cast<int>(captionText_.size()), &area,
                  format);
    } else {
        // The platform's disabled text: a highlight one pixel down and right, the shadow
        // colour over it.
        RECT highlight = area;
        OffsetRect(&highlight, 1, 1);
        SetTextColor(target, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(target, captionText_.c_str(), static_cast<int>(captionText_.size()), &highlight,
                  format);
        SetTextColor(target, GetSysColor(COLOR_3DSHADOW));
        DrawTextW(target, captionText_.c_str(), static_cast<int>(captionText_.size()), &area,
                  format);
    }
}

void CommandWindow::onPaint() {
    const velmora::PaintDc screen(window_);
    if (screen.get() == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    // Composed off screen so that the caption never flickers over the face.
    velmora::BackingImage compose;
    if (!compose.resize(screen.get(), client.right, client.bottom)) {
        return;
    }
    if (opaque_ && backing_.dc() != nullptr) {
        backing_.copyTo(compose.dc());
    } else {
        drawParentBackground(compose.dc());
    }
    drawCaption(compose.dc());
    compose.copyTo(screen.get());
}

// --- Message handlers --------------------------------------------------------------------

void CommandWindow::onSize(int32_t width, int32_t height) {
    // A new backing bitmap of the client's size; Command repaints it.
    if (width != backing_.width() || height != backing_.height() || backing_.dc() == nullptr) {
        backing_.resize(window_, width, height);
    }
    control_->resize();
}

void CommandWindow::onSetFocus() {
    control_->gotFocus();
}

void CommandWindow::onKillFocus() {
    control_->lostFocus();
}

void CommandWindow::onButtonDown(int16_t button, WPARAM keys, LPARAM position) {
    if (button == kLeftButton && control_->enabledFlag()) {
        // A click gives the focus first, then the press arrives; the press keeps the
        // pointer so that its release is seen wherever it happens.
        if (GetFocus() != window_) {
            SetFocus(window_);
        }
        SetCapture(window_);
    }
    control_->mouseDown(button, shiftState(keys), toTwips(positionX(position)),
                        toTwips(positionY(position)));
}

void CommandWindow::onButtonUp(int16_t button, WPARAM keys, LPARAM position) {
    if (button == kLeftButton && GetCapture() == window_) {
        ReleaseCapture();
    }
    // Last: the Click handler may close the host.
    control_->mouseUp(button, shiftState(keys), toTwips(positionX(position)),
                      toTwips(positionY(position)));
}

void CommandWindow::onMouseMove(WPARAM keys, LPARAM position) {
    control_->mouseMove(heldButtons(keys), shiftState(keys), toTwips(positionX(position)),
                        toTwips(positionY(position)));
}

LRESULT CommandWindow::onGetDialogCode(LPARAM message) {
    // Enter on a focused button clicks that button rather than the dialog's default.
    const auto* pending = reinterpret_cast<const MSG*>(message);
    if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
        return DLGC_WANTMESSAGE;
    }
    return DLGC_BUTTON;
}

void CommandWindow::onKeyDown(WPARAM key, LPARAM flags) {
    // A held key repeats; only its first press clicks. Last: the Click may close the host.
    const bool repeated = (flags & (1L << 30)) != 0;
    if (!repeated) {
        control_->keyPress(static_cast<int16_t>(key));
    }
}

void CommandWindow::onTimer() {
    control_->timerTick();
}

LRESULT CALLBACK CommandWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* self = reinterpret_cast<CommandWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_SIZE:
            self->onSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT:
            self->onPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // every paint covers the whole client area
        case WM_SETFOCUS:
            self->onSetFocus();
            return 0;
        case WM_KILLFOCUS:
            self->onKillFocus();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            self->onButtonDown(kLeftButton, wParam, lParam);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            self->onButtonDown(kRightButton, wParam, lParam);
            return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            self->onButtonDown(kMiddleButton, wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            self->onButtonUp(kLeftButton, wParam, lParam);
            return 0;
        case WM_RBUTTONUP:
            self->onButtonUp(kRightButton, wParam, lParam);
            return 0;
        case WM_MBUTTONUP:
            self->onButtonUp(kMiddleButton, wParam, lParam);
            return 0;
        case WM_MOUSEMOVE:
            self->onMouseMove(wParam, lParam);
            return 0;
        case WM_GETDLGCODE:
            return onGetDialogCode(lParam);
        case WM_KEYDOWN:
            self->onKeyDown(wParam, lParam);
            return 0;
        case WM_TIMER:
            if (wParam == kHoverTimerId) {
                self->onTimer();
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
