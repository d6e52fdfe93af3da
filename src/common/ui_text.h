#pragma once

#include <windows.h>

// Every text and dialog the user sees, in the language chosen once at start-up. LoadStringA and
// the dialog calls by name take the language from the system's own rules (the thread's locale,
// or the UI language from Vista on), not from the installer: the resources are looked up here.

// Learns the code page's lead bytes and chooses the language; before it, everything is US
// English and every byte a character of its own. DLLs are loaded from the system directory only.
void ChooseUiLanguage();

// The LANGID chosen, as the log names it.
WORD UiLanguage();

// LoadStringA for the chosen language (US English where it lacks the string): at most
// width - 1 bytes, cut before a character that does not fit whole; returns the bytes copied.
int LoadUiString(HINSTANCE instance, UINT id, char* out, int width);

// The chosen language's template of dialog id (US English where it lacks one); null when
// there is none.
LPCDLGTEMPLATEA UiDialog(HINSTANCE instance, UINT id);
