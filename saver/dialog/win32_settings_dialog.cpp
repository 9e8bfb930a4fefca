// "<Velmora>": the settings dialog window, its panel, and their handlers.
#include <windows.h>

#include "settings_dialog.h"

#include <commdlg.h>
#include <shellapi.h>
#include <windowsx.h>

#include <memory>
#include <string>

#include "controls/twips.h"
#include "controls/win32_command_window.h"
#include "dialog/dialog_layout.h"
#include "dialog/settings_dialog_model.h"
#include "dialog_resources.h"
#include "win32_gdi.h"
#include "win32_text.h"
#include "win32_zoom.h"

namespace velmora {
namespace {

constexpr const wchar_t* kDialogClass = L"VelmoraSettingsDialog";
constexpr const wchar_t* kPanelClass = L"VelmoraSettingsPanel";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr COLORREF kPanelColour = RGB(224, 224, 224);
constexpr COLORREF kDialogColour = RGB(192, 192, 192);
constexpr int kMarkPixels = 12;
// The font of labels and buttons: 9.75 point.
constexpr int32_t kFontCentipoints = 975;
constexpr int kRepeatBoxId = 1001;

HFONT createDialogFont(int32_t dpi, bool underline) {
    const int height = -MulDiv(kFontCentipoints, dpi, 7200);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, utf8ToWide("ＭＳ Ｐゴシック").c_str());
}

class SettingsDialog {
  public:
    SettingsDialog(HINSTANCE instance, SettingsDialogContext& context)
        : instance_(instance), context_(context), model_(context.settings) {}

    void run();

  private:
    // The window procedure of the dialog and of its panel: the object comes through
    // GWLP_USERDATA, the message goes to that window's handler.
    template <LRESULT (SettingsDialog::*handler)(UINT, WPARAM, LPARAM)>
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
        auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return (self->*handler)(message, wParam, lParam);
    }
    LRESULT onDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onPanelMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Form events.
    void createElements();
    void formLoad();
    void formResize();
    void formUnload();
    // Element events.
    void optionMouseDown(int option);
    void fileButtonClick();
    void storeButtonClick();
    void cancelButtonClick();
    void linkClick();
    // Esc (IDCANCEL) and Enter (IDOK) from the modal loop's dialog manager.
    void onCommand(WORD id);
    void onActivate(bool active);
    void focusFirstControl();
    // A message box owned by the dialog (captioned "Velmora": "<Velmora>" is the dialog's own
    // title, which the start-up guard looks for).
    void showMessage(const std::string& text, UINT icon);

    // Painting, one place per window: the backing image, then the windowless elements.
    void paint(HWND target);
    void drawElements(HDC dc, DialogContainer container);
    void drawLabel(HDC dc, const DialogElement& element);

    // Element placement in pixels, relative to its container; labels sized to their text.
    RECT pixelRect(const DialogElement& element) const;
    RECT measuredRect(const DialogElement& element) const;
    // The link's underlined font, or the labels' font.
    HFONT fontOf(const DialogElement& element) const {
        return element.kind == DialogElementKind::Link ? linkFont_.get() : font_.get();
    }
    int px(int32_t twips) const { return twipsToPixels(twips, dpi_); }
    const DialogElement* elementAt(DialogContainer container, POINT point) const;
    // Whether a point of the window's client area lies on the link's text.
    bool isOnLink(POINT point) const;
    // The hand pointer over the link; false elsewhere (the class cursor serves).
    bool onSetCursorOverClient();
    HWND containerWindow(DialogContainer container) const {
        return container == DialogContainer::Panel ? panel_ : window_;
    }
    void showEnabledStates();
    void close();

    HINSTANCE instance_;
    SettingsDialogContext& context_;
    SettingsDialogModel model_;

    int32_t dpi_ = kStandardDpi;
    HWND window_ = nullptr;
    HWND panel_ = nullptr;
    HWND repeatBox_ = nullptr;
    std::unique_ptr<CommandWindow> storeButton_;
    std::unique_ptr<CommandWindow> cancelButton_;
    std::unique_ptr<CommandWindow> fileButton_;
    BackingImage windowBackground_;
    BackingImage panelBackground_;
    FontOwner font_;
    FontOwner linkFont_;
    BitmapOwner unmarkedPicture_;
    BitmapOwner markedPicture_;
    HCURSOR handCursor_ = nullptr;
    bool linkPressed_ = false;
    HWND lastFocus_ = nullptr;  // the focused control while the dialog is inactive
    bool closing_ = false;
};

void registerClasses(HINSTANCE instance) {
    WNDCLASSEXW dialogClass{};
    dialogClass.cbSize = sizeof(dialogClass);
    dialogClass.lpfnWndProc = DefWindowProcW;
    dialogClass.hInstance = instance;
    dialogClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_DIALOG_ICON));
    dialogClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    dialogClass.lpszClassName = kDialogClass;
    RegisterClassExW(&dialogClass);

    WNDCLASSEXW panelClass{};
    panelClass.cbSize = sizeof(panelClass);
    panelClass.lpfnWndProc = DefWindowProcW;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    panelClass.lpszClassName = kPanelClass;
    RegisterClassExW(&panelClass);
}

void SettingsDialog::run() {
    registerClasses(instance_);
    dpi_ = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY);
    font_.reset(createDialogFont(dpi_, false));
    linkFont_.reset(createDialogFont(dpi_, true));
    unmarkedPicture_.reset(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_MARK_UNMARKED), IMAGE_BITMAP, 0, 0, 0)));
    markedPicture_.reset(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_MARK_MARKED), IMAGE_BITMAP, 0, 0, 0)));
    handCursor_ = LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_LINK_HAND));

    RECT outer{0, 0, px(kDialogClientWidth), px(kDialogClientHeight)};
    AdjustWindowRectEx(&outer, kDialogStyle, FALSE, kDialogExStyle);
    window_ = CreateWindowExW(kDialogExStyle, kDialogClass, utf8ToWide("<Velmora>").c_str(),
                              kDialogStyle, 0, 0, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, instance_, nullptr);
    if (window_ == nullptr) {
        return;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(
        window_, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(&windowProcedure<&SettingsDialog::onDialogMessage>));
    createElements();
    formLoad();
    ShowWindow(window_, SW_SHOWNORMAL);
    formResize();
    UpdateWindow(window_);
    focusFirstControl();

    // The modal loop: Tab moves between the repeat box and the buttons, Esc cancels and
    // Enter stores (WM_COMMAND IDCANCEL and IDOK).
    MSG message{};
    while (IsWindow(window_) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    storeButton_.reset();
    cancelButton_.reset();
    fileButton_.reset();
}

void SettingsDialog::createElements() {
    const DialogElement& panel = dialogElement(DialogElementId::MusicPanel);
    const RECT panelRect = pixelRect(panel);
    // Created in tab order, so that Tab follows the design's order.
    panel_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, panelRect.left, panelRect.top,
                             panelRect.right - panelRect.left, panelRect.bottom - panelRect.top,
                             window_, nullptr, instance_, nullptr);
    SetWindowLongPtrW(panel_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(
        panel_, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(&windowProcedure<&SettingsDialog::onPanelMessage>));

    const RECT repeatRect = pixelRect(dialogElement(DialogElementId::RepeatBox));
    // The drop-down list hangs below the edit field: room for about ten entries.
    repeatBox_ = CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN,
        repeatRect.left, repeatRect.top, repeatRect.right - repeatRect.left,
        (repeatRect.bottom - repeatRect.top) * 8, panel_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRepeatBoxId)), instance_, nullptr);
    SendMessageW(repeatBox_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    const FontDescription ambient = defaultButtonFont();
    const auto makeButton = [&](DialogElementId id, HWND parent, int controlId) {
        const DialogElement& element = dialogElement(id);
        MemoryPropertyBag design({{"Caption", std::string(element.text)}});
        return CommandWindow::create(parent,
                                     {element.left, element.top, element.width, element.height},
                                     controlId, &design, ambient);
    };
    fileButton_ = makeButton(DialogElementId::FileButton, panel_, 1002);
    storeButton_ = makeButton(DialogElementId::StoreButton, window_, 1003);
    cancelButton_ = makeButton(DialogElementId::CancelButton, window_, 1004);
    for (CommandWindow* button : {fileButton_.get(), storeButton_.get(), cancelButton_.get()}) {
        if (button != nullptr) {
            SetWindowLongPtrW(button->window(), GWL_STYLE,
                              GetWindowLongPtrW(button->window(), GWL_STYLE) | WS_TABSTOP);
        }
    }
    if (fileButton_) {
        fileButton_->control().onClick([this] { fileButtonClick(); });
    }
    if (storeButton_) {
        storeButton_->control().onClick([this] { storeButtonClick(); });
    }
    if (cancelButton_) {
        cancelButton_->control().onClick([this] { cancelButtonClick(); });
    }
}

void SettingsDialog::formLoad() {
    // Centred horizontally, a third of the free height from the top, in twips.
    RECT outer{};
    GetWindowRect(window_, &outer);
    const TwipsPoint place =
        dialogPosition(GetSystemMetrics(SM_CXSCREEN) * static_cast<double>(kTwipsPerInch) / dpi_,
                       GetSystemMetrics(SM_CYSCREEN) * static_cast<double>(kTwipsPerInch) / dpi_,
                       pixelsToTwips(outer.right - outer.left, dpi_),
                       pixelsToTwips(outer.bottom - outer.top, dpi_));
    SetWindowPos(window_, nullptr, px(place.x), px(place.y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (CommandWindow* button : {storeButton_.get(), cancelButton_.get(), fileButton_.get()}) {
        if (button != nullptr) {
            button->control().Initialize();
        }
    }
    showEnabledStates();
    SetWindowTextW(repeatBox_, utf8ToWide(model_.initialRepeatText()).c_str());
    for (const std::string& entry : repeatListEntries()) {
        SendMessageW(repeatBox_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(utf8ToWide(entry).c_str()));
    }
    POINT cursor{};
    if (GetCursorPos(&cursor)) {
        context_.zoom = {static_cast<int16_t>(cursor.x), static_cast<int16_t>(cursor.y)};
    } else {
        context_.zoom = {0, 0};
    }
    zoomOpen(window_, context_.zoom);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

void SettingsDialog::showEnabledStates() {
    EnableWindow(repeatBox_, model_.repeatBoxEnabled() ? TRUE : FALSE);
    if (fileButton_) {
        fileButton_->control().setEnabled(model_.fileButtonEnabled());
        // The window too, so that Tab passes over the disabled button.
        EnableWindow(fileButton_->window(), model_.fileButtonEnabled() ? TRUE : FALSE);
    }
    InvalidateRect(panel_, nullptr, FALSE);
}

void SettingsDialog::formResize() {
    RECT client{};
    GetClientRect(window_, &client);
    windowBackground_.resize(window_, client.right, client.bottom);
    RECT panelClient{};
    GetClientRect(panel_, &panelClient);
    panelBackground_.resize(panel_, panelClient.right, panelClient.bottom);

    // One line per twip of height, as the design draws it; each pixel row keeps the
    // colour of the last line that falls on it.
    const double twipsPerPixel = static_cast<double>(kTwipsPerInch) / dpi_;
    const auto fill = [this, twipsPerPixel](BackingImage& image, COLORREF base,
                                            BackgroundTone tone) {
        const RECT all{0, 0, image.width(), image.height()};
        FillRect(image.dc(), &all, BrushOwner(CreateSolidBrush(base)).get());
        const std::vector<Rgb8> rows = backgroundPixelRows(pixelsToTwips(image.height(), dpi_),
                                                           image.height(), twipsPerPixel, tone);
        for (int row = 0; row < image.height(); ++row) {
            const Rgb8& colour = rows[static_cast<size_t>(row)];
            const BrushOwner brush(CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
            const RECT line{0, row, image.width(), row + 1};
            FillRect(image.dc(), &line, brush.get());
        }
    };
    fill(windowBackground_, kDialogColour, BackgroundTone::Window);
    fill(panelBackground_, kPanelColour, BackgroundTone::Panel);
    InvalidateRect(window_, nullptr, FALSE);
    InvalidateRect(panel_, nullptr, FALSE);
}

void SettingsDialog::formUnload() {
    zoomClose(window_, context_.zoom);
}

void SettingsDialog::close() {
    if (closing_) {
        return;
    }
    closing_ = true;
    formUnload();
    DestroyWindow(window_);
}

void SettingsDialog::optionMouseDown(int option) {
    model_.chooseOption(option);
    showEnabledStates();
}

void SettingsDialog::fileButtonClick() {
    std::wstring filter = utf8ToWide("BGMﾌｧｲﾙ (MP3 WAV)");
    filter.push_back(L'\0');
    filter += L"*.MP3;*.WAV";
    filter.push_back(L'\0');
    wchar_t fileBuffer[256] = {};
    wchar_t titleBuffer[256] = {};
    const std::wstring folder = utf8ToWide(model_.chooserFolder());
    const std::wstring title = utf8ToWide("ﾌｧｲﾙを開く");
    OPENFILENAMEW request{};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    request.hwndOwner = window_;
    request.hInstance = instance_;
    request.lpstrFilter = filter.c_str();
    request.lpstrFile = fileBuffer;
    request.nMaxFile = 255;
    request.lpstrFileTitle = titleBuffer;
    request.nMaxFileTitle = 255;
    request.lpstrInitialDir = folder.c_str();
    request.lpstrTitle = title.c_str();
    if (!GetOpenFileNameW(&request)) {
        return;
    }
    const std::string chosen = wideToUtf8(fileBuffer);
    if (!model_.fileChosen(context_.files, context_.codec, chosen)) {
        showMessage("このファイルの場所は設定ファイルに保存できません。\n\n" + chosen +
                        "\n\n別の場所にあるファイルを選んでください。",
                    MB_ICONWARNING);
        return;
    }
    InvalidateRect(panel_, nullptr, FALSE);
}

void SettingsDialog::storeButtonClick() {
    wchar_t text[256] = {};
    GetWindowTextW(repeatBox_, text, 256);
    const StoreResult result =
        model_.store(context_.files, context_.codec, context_.programFolder, wideToUtf8(text));
    if (result.place == StorePlace::Nowhere) {
        // Nothing was stored: the dialog stays open with the user's choices.
        showMessage(storeFailedMessage(result, systemErrorText), MB_ICONERROR);
        return;
    }
    close();
}

void SettingsDialog::showMessage(const std::string& text, UINT icon) {
    MessageBoxW(window_, utf8ToWide(text).c_str(), L"Velmora", MB_OK | icon);
}

void SettingsDialog::cancelButtonClick() {
    close();
}

void SettingsDialog::onCommand(WORD id) {
    // The keyboard's Esc and Enter, as the dialog manager reports them.
    if (id != IDOK && id != IDCANCEL) {
        return;
    }
    // While the repeat box's list is open, Enter and Esc only close the list.
    if (SendMessageW(repeatBox_, CB_GETDROPPEDSTATE, 0, 0) != 0) {
        SendMessageW(repeatBox_, CB_SHOWDROPDOWN, FALSE, 0);
        return;
    }
    if (id == IDOK) {
        storeButtonClick();
    } else {
        cancelButtonClick();
    }
}

void SettingsDialog::onActivate(bool active) {
    // The control that had the focus gets it back when the dialog is active again (after
    // the file chooser or a message box), so that the keyboard goes on where it was.
    if (!active) {
        HWND focus = GetFocus();
        lastFocus_ = focus != nullptr && IsChild(window_, focus) ? focus : nullptr;
        return;
    }
    if (lastFocus_ != nullptr && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
    } else if (GetFocus() == nullptr || !IsChild(window_, GetFocus())) {
        focusFirstControl();
    }
}

void SettingsDialog::focusFirstControl() {
    // The first control in the tab order that can take the focus gets it, as a form
    // shows itself: the repeat box, "...", then "設定".
    HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
    if (first != nullptr) {
        SetFocus(first);
    }
}

void SettingsDialog::linkClick() {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    ShellExecuteW(window_, L"open", utf8ToWide(kHomePageAddress).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
    SetCursor(previous);
}

RECT SettingsDialog::pixelRect(const DialogElement& element) const {
    return {px(element.left), px(element.top), px(element.left + element.width),
            px(element.top + element.height)};
}

RECT SettingsDialog::measuredRect(const DialogElement& element) const {
    RECT rect = pixelRect(element);
    if (!element.autoSize) {
        return rect;
    }
    const WindowDc dc(window_);
    const SelectedObject font(dc.get(), fontOf(element));
    const std::wstring text = utf8ToWide(element.text);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    return rect;
}

const DialogElement* SettingsDialog::elementAt(DialogContainer container, POINT point) const {
    for (const DialogElement& element : kDialogElements) {
        if (element.container != container) {
            continue;
        }
        const RECT rect = measuredRect(element);
        if (PtInRect(&rect, point)) {
            return &element;
        }
    }
    return nullptr;
}

bool SettingsDialog::isOnLink(POINT point) const {
    const DialogElement* element = elementAt(DialogContainer::Window, point);
    return element != nullptr && element->kind == DialogElementKind::Link;
}

bool SettingsDialog::onSetCursorOverClient() {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    if (!isOnLink(point) || handCursor_ == nullptr) {
        return false;
    }
    SetCursor(handCursor_);
    return true;
}

void SettingsDialog::drawLabel(HDC dc, const DialogElement& element) {
    std::wstring text = utf8ToWide(
        element.id == DialogElementId::FileLabel ? model_.fileLabel() : std::string(element.text));
    RECT rect = measuredRect(element);
    SelectObject(dc, fontOf(element));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, element.colour == LabelColour::White ? RGB(255, 255, 255) : RGB(0, 0, 0));
    UINT format = DT_NOPREFIX;
    if (element.centred) {
        format |= DT_CENTER;
    }
    if (element.id == DialogElementId::FileLabel) {
        format |= DT_WORDBREAK | DT_EDITCONTROL;  // a long path runs onto the second line
    } else {
        format |= DT_SINGLELINE;
    }
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void SettingsDialog::drawElements(HDC dc, DialogContainer container) {
    MemoryDc pictures(dc);
    const SelectedObject font(dc, font_.get());
    for (const DialogElement& element : kDialogElements) {
        if (element.container != container) {
            continue;
        }
        switch (element.kind) {
            case DialogElementKind::Label:
            case DialogElementKind::Link:
                drawLabel(dc, element);
                break;
            case DialogElementKind::OptionMark: {
                const RECT rect = pixelRect(element);
                const bool marked = model_.isMarked(optionIndexOf(element.id));
                pictures.select(marked ? markedPicture_.get() : unmarkedPicture_.get());
                BitBlt(dc, rect.left, rect.top, kMarkPixels, kMarkPixels, pictures.get(), 0, 0,
                       SRCCOPY);
                break;
            }
            case DialogElementKind::Rectangle: {
                const RECT rect = pixelRect(element);
                FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                break;
            }
            default:
                break;  // windows of their own
        }
    }
}

void SettingsDialog::paint(HWND target) {
    const PaintDc dc(target);
    const bool isPanel = target == panel_;
    const BackingImage& background = isPanel ? panelBackground_ : windowBackground_;
    // Windowless elements go onto a copy of the background, then to the screen at once.
    BackingImage frame;
    if (!frame.resize(dc.get(), background.width(), background.height())) {
        return;
    }
    background.copyTo(frame.dc());
    drawElements(frame.dc(), isPanel ? DialogContainer::Panel : DialogContainer::Window);
    frame.copyTo(dc.get());
}

LRESULT SettingsDialog::onDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint(window_);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the backing image covers everything
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && onSetCursorOverClient()) {
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN:
            linkPressed_ = isOnLink({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_LBUTTONUP:
            // A click on the link: pressed and released over it.
            if (linkPressed_ && isOnLink({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
                linkClick();
            }
            linkPressed_ = false;
            return 0;
        case WM_COMMAND:
            onCommand(LOWORD(wParam));
            return 0;
        case WM_ACTIVATE:
            onActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_CLOSE:
            close();
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT SettingsDialog::onPanelMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint(panel_);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            // Any mouse button on an option's mark or text chooses it.
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const DialogElement* element = elementAt(DialogContainer::Panel, point);
            if (element != nullptr && optionIndexOf(element->id) >= 0) {
                optionMouseDown(optionIndexOf(element->id));
            }
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(panel_, message, wParam, lParam);
}

}  // namespace

void showSettingsDialog(SettingsDialogContext& context) {
    SettingsDialog dialog(GetModuleHandleW(nullptr), context);
    dialog.run();
}

}  // namespace velmora
