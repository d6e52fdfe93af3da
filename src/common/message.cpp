#include "message.h"

#include <cstdarg>

#include "install_log.h"
#include "setup_state.h"
#include "ui_text.h"

namespace {

constexpr int kMessageWidth = 200;
constexpr int kLoadLimit = 199;
// wvsprintfA never writes more than 1024 bytes, terminator included; formatting into a
// scratch of that size and then cutting keeps the message buffer safe whatever the arguments.
constexpr int kFormatLimit = 1024;

} // namespace

int ShowStringMessage(HINSTANCE instance, HWND owner, UINT stringId, const char* caption,
                      UINT style, ...) {
    char format[kMessageWidth] = {};
    LoadUiString(instance, stringId, format, kLoadLimit);

    char scratch[kFormatLimit + 1];
    va_list args;
    va_start(args, style);
    wvsprintfA(scratch, format, args);
    va_end(args);
    scratch[kFormatLimit] = '\0';

    char text[kMessageWidth];
    lstrcpynA(text, scratch, kMessageWidth);
    return MessageBoxA(owner, text, caption, style);
}

const char* AnswerName(int answer) {
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDRETRY: return "Retry";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "none";
    }
}

int AskUser(HWND owner, UINT stringId, UINT style) {
    const int answer = ShowStringMessage(g_hInst, owner, stringId, g_szCaption, style);
    LogLine("  question %u: %s", stringId, AnswerName(answer));
    return answer;
}
