#pragma once
// The program context: everything that exists once per running program,
// built by main() (or by a test, with its own doubles for the seams) and
// handed down by reference. Nothing in the program reaches for a static.

#include <vector>

#include "app_state.h"
#include "ini_store.h"
#include "logger.h"
#include "messages.h"
#include "profile.h"
#include "text_catalog.h"

namespace zh {

class Clock;
class Dialogs;
class Gadgets;

struct Program {
    Program(Dialogs& d, Gadgets& g, Clock& c)
        : dialogs(d),
          gadgets(g),
          clock(c),
          log(d),
          profile(state, ini, log),
          messages(state, profile, log, d, g, c) {}

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Dialogs& dialogs;
    Gadgets& gadgets;
    Clock& clock;

    AppState state;
    IniStore ini;
    Logger log;
    Profile profile;
    Messages messages;
    TextCatalog texts;              // program messages, translated at start
    TextCatalog commonTexts;        // texts of the generic dialogs
    std::vector<QString> captions;  // caption table of the window
};

}  // namespace zh
