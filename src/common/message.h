#pragma once

#include <windows.h>

// Loads string stringId, formats it wvsprintfA-style with the arguments and shows it in a
// message box; returns the button pressed. The text is cut to 199 characters.
int ShowStringMessage(HINSTANCE instance, HWND owner, UINT stringId, const char* caption,
                      UINT style, ...);

// A question of the run once the caption is loaded: the installer's own text and caption,
// owned by the window that asks; the question and its answer go into the log.
int AskUser(HWND owner, UINT stringId, UINT style);

// "OK", "Cancel", "Retry", "Yes" or "No", as the log names an answer.
const char* AnswerName(int answer);
