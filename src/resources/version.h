#pragma once

// The one definition of the installer's version: setup.rc's version record carries it and
// inftool --version prints it. Read by the resource compiler too, so macros only.
#define SETUP_VERSION_MAJOR 1
#define SETUP_VERSION_MINOR 0
#define SETUP_VERSION_PATCH 0
#define SETUP_VERSION_BUILD 1

#define SETUP_VERSION_NUMBERS                                                                      \
    SETUP_VERSION_MAJOR, SETUP_VERSION_MINOR, SETUP_VERSION_PATCH, SETUP_VERSION_BUILD
#define SETUP_VERSION_QUOTE(...) #__VA_ARGS__
#define SETUP_VERSION_QUOTE_EXPANDED(...) SETUP_VERSION_QUOTE(__VA_ARGS__)
// "1, 0, 0, 1": the version record's text form.
#define SETUP_VERSION_TEXT SETUP_VERSION_QUOTE_EXPANDED(SETUP_VERSION_NUMBERS)
