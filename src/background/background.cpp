#include "background.h"

#include "common/setup_state.h"
#include "common/ui_text.h"
#include "ramp.h"
#include "resources/resource.h"

namespace {

// The title font lasts until the process ends, like the class.
HFONT g_hTitleFont;
LOGFONTA g_lfTitle;

constexpr int kTitleWidth = 50;
constexpr int kWindowExtraBytes = 8;
constexpr LONG kTitleHeight = -42; // at 96 DPI
constexpr char kTitleFace[] = "Arial";
static_assert(sizeof kTitleFace <= LF_FACESIZE, "face name fits the font record");

int s_screenDpi;

void DrawTitle(HDC dc, HWND hwnd, const char* title) {
    HGDIOBJ previous = SelectObject(dc, g_hTitleFont);
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(hwnd, &client);
    TitleBox shadow;
    TitleBox face;
    TitleBoxes(client.right, client.bottom, ScreenDpi(), &shadow, &face);

    RECT box = {shadow.left, shadow.top, shadow.right, shadow.bottom};
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, title, -1, &box, DT_WORDBREAK);

    box = {face.left, face.top, face.right, face.bottom};
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, title, -1, &box, DT_WORDBREAK);

    SelectObject(dc, previous);
}

// One brush per row, made and deleted at once: rows differ in colour and none is cached.
void PaintRamp(HDC dc, const RECT& area) {
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    for (LONG y = area.top; y < area.bottom; ++y) {
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, RampBlue(y, screenHeight)));
        RECT row = {area.left, y, area.right, y + 1};
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
}

void PaintBackground(HWND hwnd, const char* title) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    PaintRamp(dc, paint.rcPaint);
    DrawTitle(dc, hwnd, title);
    EndPaint(hwnd, &paint);
}

HFONT CreateTitleFont() {
    ZeroMemory(&g_lfTitle, sizeof g_lfTitle);
    g_lfTitle.lfHeight = ScaleForDpi(kTitleHeight, ScreenDpi());
    g_lfTitle.lfWidth = 0;
    g_lfTitle.lfEscapement = 0;
    g_lfTitle.lfOrientation = 0;
    g_lfTitle.lfWeight = FW_HEAVY;
    g_lfTitle.lfItalic = 1;
    g_lfTitle.lfUnderline = 0;
    g_lfTitle.lfStrikeOut = 0;
    // The system's character set, so that a title in Polish or Russian draws its letters.
    g_lfTitle.lfCharSet = DEFAULT_CHARSET;
    g_lfTitle.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    g_lfTitle.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    g_lfTitle.lfQuality = DEFAULT_QUALITY;
    g_lfTitle.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
    lstrcpynA(g_lfTitle.lfFaceName, kTitleFace, LF_FACESIZE);
    g_hTitleFont = CreateFontIndirectA(&g_lfTitle);
    return g_hTitleFont;
}

LRESULT CALLBACK BackgroundWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    char title[kTitleWidth] = {};
    LoadUiString(g_hInst, IDS_TITLE, title, kTitleWidth);
    switch (message) {
    case WM_CREATE:
        CreateTitleFont();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_PAINT: PaintBackground(hwnd, title); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

int ScreenDpi() {
    if (s_screenDpi == 0) {
        // Without a device context GetDeviceCaps answers 0.
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        s_screenDpi = dpi > 0 ? dpi : kDesignDpi;
    }
    return s_screenDpi;
}

ATOM RegisterBackgroundClass(HINSTANCE hInstance) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = BackgroundWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = kWindowExtraBytes;
    windowClass.hInstance = hInstance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_APPWORKSPACE + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kBackgroundClass;
    return RegisterClassA(&windowClass);
}
