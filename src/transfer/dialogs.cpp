#include "transfer.h"

#include <commctrl.h>

#include "common/message.h"
#include "common/setup_state.h"
#include "dialog_figures.h"
#include "resources/resource.h"

namespace {

constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION;
constexpr UINT kInvalidPathStyle = MB_OK | MB_ICONQUESTION;
static_assert(kQuestionStyle == 36 && kInvalidPathStyle == 32, "message box styles");

// Typed locations are limited to what the source directory held before paths grew to
// MAX_PATH; the prompt keeps that limit.
constexpr int kLocationWidth = 66;
constexpr WPARAM kProgressStep = 2;

// Vertically centred, at four fifths of the free width.
void PlaceDialog(HWND hwnd) {
    RECT rect;
    GetWindowRect(hwnd, &rect);
    const int x = DialogLeft(GetSystemMetrics(SM_CXSCREEN), rect.right - rect.left);
    const int y = DialogTop(GetSystemMetrics(SM_CYSCREEN), rect.bottom - rect.top);
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void InitProgress(HWND hwnd) {
    SetWindowTextA(hwnd, g_szCaption);
    PlaceDialog(hwnd);
    SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETPOS, 0, 0);
    SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETSTEP, kProgressStep, 0);
}

void ResetProgressOnShow(HWND hwnd, WPARAM shown) {
    if (shown == 0) return;
    EnableWindow(GetDlgItem(hwnd, IDCANCEL), TRUE);
    SetDlgItemTextA(hwnd, IDC_STATUS_LINE, "");
    SetDlgItemTextA(hwnd, IDC_FILE_LINE, "");
}

void ConfirmCancel(HWND hwnd, WPARAM wParam) {
    const WORD id = LOWORD(wParam);
    if (id != IDOK && id != IDCANCEL) return;
    if (AskUser(hwnd, IDS_CONFIRM_CANCEL, kQuestionStyle) == IDYES)
        EnableWindow(GetDlgItem(hwnd, IDCANCEL), FALSE);
}

void InitDiskPrompt(HWND hwnd, LPARAM diskName) {
    SetWindowTextA(hwnd, g_szCaption);
    PlaceDialog(hwnd);
    SetDlgItemTextA(hwnd, IDC_DISK_NAME, reinterpret_cast<const char*>(diskName));
    SetDlgItemTextA(hwnd, IDC_LOCATION, g_szSourceDir);
    SendDlgItemMessageA(hwnd, IDC_LOCATION, EM_LIMITTEXT, kLocationWidth, 0);
    MessageBeep(MB_OK);
}

void AcceptLocation(HWND hwnd, WPARAM wParam) {
    // Typing stops at the limit, but the offered location may be longer: such a text, edited
    // or not, is read back whole, or every later source path would be cut.
    const bool longer = GetWindowTextLengthA(GetDlgItem(hwnd, IDC_LOCATION)) > kLocationWidth;
    GetDlgItemTextA(hwnd, IDC_LOCATION, g_szSourceDir, longer ? MAX_PATH : kLocationWidth);
    if (IsMediaLocation(g_szSourceDir)) {
        EndDialog(hwnd, static_cast<INT_PTR>(wParam));
        return;
    }
    AskUser(hwnd, IDS_INVALID_PATH, kInvalidPathStyle);
}

void EnableOkForLocation(HWND hwnd, LPARAM field) {
    const LRESULT length = SendMessageA(reinterpret_cast<HWND>(field), EM_LINELENGTH, 0, 0);
    EnableWindow(GetDlgItem(hwnd, IDOK), length != 0);
}

void DiskPromptCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDOK: AcceptLocation(hwnd, wParam); break;
    case IDCANCEL: EndDialog(hwnd, static_cast<INT_PTR>(wParam)); break;
    case IDC_LOCATION: EnableOkForLocation(hwnd, lParam); break;
    default: break;
    }
}

} // namespace

INT_PTR CALLBACK ProgressDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: InitProgress(hwnd); return TRUE;
    case WM_SHOWWINDOW: ResetProgressOnShow(hwnd, wParam); return FALSE;
    case WM_COMMAND: ConfirmCancel(hwnd, wParam); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK DiskPromptDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitDiskPrompt(hwnd, lParam); return TRUE;
    case WM_COMMAND: DiskPromptCommand(hwnd, wParam, lParam); return TRUE;
    default: return FALSE;
    }
}
