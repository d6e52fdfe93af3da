// The background window: one full-screen window with a blue-to-black ramp.
#include "scenarios.h"

#include <windows.h>

namespace {

// Blue of row y on a screen H rows high, as the ramp defines it.
int RampBlue(int y, int h) {
    return 255 - static_cast<int>(static_cast<double>(y) / static_cast<double>(h - 1) * 255.0);
}

// Every pixel left of the prompt must be the ramp: nothing else (not the blank title) shows.
bool CheckRamp(const Screen& s, int right, const char* when) {
    int bad = 0;
    int badX = 0, badY = 0;
    uint32_t badPx = 0;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < right; ++x) {
            uint32_t px = PixelAt(s, x, y);
            if (RedOf(px) == 0 && GreenOf(px) == 0 && BlueOf(px) == RampBlue(y, s.height)) continue;
            if (!bad++) badX = x, badY = y, badPx = px;
        }
    return Check(bad == 0, "%s: %d pixels off the ramp, first at %d,%d: %06lx, want blue %d", when,
                 bad, badX, badY, static_cast<unsigned long>(badPx & 0xFFFFFF),
                 RampBlue(badY, s.height));
}

int LeftOf(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc.left;
}

// The screen left of a window, where only the background shows.
RECT LeftPart(HWND hwnd) {
    return RECT{0, 0, LeftOf(hwnd), GetSystemMetrics(SM_CYSCREEN)};
}

void Window() {
    Run r;
    HWND prompt = StartPrompting(r, "backwin");
    if (!prompt) return;
    CheckInt(CountTop(r.inst, kBackgroundClass, false), 1, "background windows");
    HWND bg = FindTop(r.inst, kBackgroundClass, true);
    if (!Check(bg != nullptr, "no visible background window")) return;
    RECT rc{};
    GetWindowRect(bg, &rc);
    Check(rc.left == 0 && rc.top == 0 && rc.right == GetSystemMetrics(SM_CXSCREEN) &&
              rc.bottom == GetSystemMetrics(SM_CYSCREEN),
          "background window at %ld,%ld-%ld,%ld, want the whole screen", rc.left, rc.top, rc.right,
          rc.bottom);
    LONG style = GetWindowLongA(bg, GWL_STYLE);
    Check((style & WS_POPUP) && !(style & WS_CAPTION), "background window style %08lx",
          static_cast<unsigned long>(style));
    Screen s;
    if (CaptureSettled(s, bg, LeftPart(prompt))) {
        CheckInt(BlueOf(PixelAt(s, 0, 0)), 255, "blue of row 0");
        CheckInt(PixelAt(s, 0, s.height - 1) & 0xFFFFFF, 0, "colour of the last row");
        CheckInt(BlueOf(PixelAt(s, 0, 240)), 128, "blue of row 240");
        CheckInt(BlueOf(PixelAt(s, 0, 2)), 254, "blue of row 2");
        int rising = 0;
        for (int y = 1; y < s.height; ++y)
            if (BlueOf(PixelAt(s, 0, y)) > BlueOf(PixelAt(s, 0, y - 1))) ++rising;
        CheckInt(rising, 0, "rows whose blue rises");
        CheckRamp(s, LeftOf(prompt), "ramp under the prompt");
    }
    if (!AnswerPrompt(r.inst, (AltDir() + "\\").c_str())) return;
    FinishWithLaunch(r); // also: no background window left when the follow-on starts
    std::string life = SpyJoined("create") + " / " + SpyJoined("destroy");
    Check(life.find("hwndBackground") != std::string::npos && SpyLinesOf("show").size() > 0 &&
              SpyJoined("show").find("hwndBackground 1") < SpyJoined("show").find("progress 1"),
          "background window not shown before the progress dialog: %s", life.c_str());
}

// A disk change repaints the disk area; it must match what a full repaint gives.
void DiskArea() {
    Run r;
    HWND prompt = StartPrompting(r, "backarea", "2");
    HWND bg = FindTop(r.inst, kBackgroundClass, true);
    if (!prompt || !Check(bg != nullptr, "no visible background window")) return;
    Screen area, full;
    if (CaptureSettled(area, bg, LeftPart(prompt))) {
        CheckRamp(area, LeftOf(prompt), "after the disk-area repaint");
        RedrawWindow(bg, nullptr, nullptr, RDW_INVALIDATE);
        if (CaptureSettled(full, bg, LeftPart(prompt))) {
            int differ = 0;
            for (int y = 0; y < area.height; ++y)
                for (int x = 0; x < LeftOf(prompt); ++x)
                    differ += PixelAt(area, x, y) != PixelAt(full, x, y);
            CheckInt(differ, 0, "pixels that differ between the disk-area and full repaints");
        }
    }
    if (!AnswerPrompt(r.inst, (AltDir() + "\\").c_str())) return;
    FinishWithLaunch(r);
}

} // namespace

const Scenario kBackgroundScenarios[] = {
    {"background_window", Window},
    {"background_disk_area", DiskArea},
    {nullptr, nullptr},
};
