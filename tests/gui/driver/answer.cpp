// guidriver --answer SETUP ANSWER...: runs the installer at SETUP and gives the answers in turn,
// each "ID:BUTTON" (1011:retry, 1005:yes, prompt:ok, ...), checking that each question is the
// one expected; then it must end with no further question. The files are judged from outside.
#include "scenarios.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A traced wineserver answers every process slowly.
constexpr DWORD kSlowMs = 3 * kWaitMs;

struct Question {
    const char* id;
    const char* text; // null for the disk prompt
};

constexpr Question kQuestions[] = {
    {"1005", kMsg1005}, {"1011", kMsg1011},  {"1012", kMsg1012},
    {"2012", kMsg2012}, {"prompt", nullptr},
};

struct Button {
    const char* name;
    int id;
};

constexpr Button kButtons[] = {
    {"retry", IDRETRY}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}};

bool GiveAnswer(const Installer& inst, const char* answer) {
    const char* colon = std::strchr(answer, ':');
    const Question* question = nullptr;
    const Button* button = nullptr;
    for (const Question& q : kQuestions)
        if (colon && std::strncmp(answer, q.id, colon - answer) == 0 && !q.id[colon - answer])
            question = &q;
    for (const Button& b : kButtons)
        if (colon && !std::strcmp(colon + 1, b.name)) button = &b;
    if (!Check(question && button, "bad answer \"%s\"", answer)) return false;
    return question->text ? Answer(inst, question->text, kCaption, button->id, kSlowMs)
                          : AnswerPrompt(inst, nullptr, button->id, kSlowMs);
}

} // namespace

int RunAnswers(int argc, char** argv) {
    if (argc < 1) {
        std::printf("usage: guidriver --answer SETUP ANSWER...\n");
        return 2;
    }
    Installer inst;
    // GUI_SETUP_ARGS: the installer's switches, as the fault scripts give them.
    const char* args = std::getenv("GUI_SETUP_ARGS");
    if (!StartInstaller(inst, std::string(argv[0]), args != nullptr ? args : "")) return 1;
    for (int i = 1; i < argc && FailureCount() == 0; ++i)
        if (!GiveAnswer(inst, argv[i])) Check(false, "no answer \"%s\" was asked for", argv[i]);
    DWORD code = 99;
    if (FailureCount() == 0 && !StaysQuiet(inst, kSlowMs)) {
        HWND box = WaitMessageBox(inst, 0);
        Check(false, "an unexpected question came: \"%s\"",
              box ? ItemText(box, kMsgTextId).c_str() : "the disk prompt");
    }
    if (FailureCount() == 0 && WaitExit(inst, kSlowMs, &code))
        std::printf("installer exit code %lu\n", code);
    const int failures = FailureCount();
    std::printf("%s: %d failed check(s)\n", failures ? "FAILED" : "PASSED", failures);
    return failures ? 1 : 0;
}
