#pragma once
// The program's built-in English texts, as data: the caption table of the
// main window, the common texts of the generic dialogs, and the program
// messages that start-up translates, section by section, into the text
// catalogue. The English text is the key the language files translate.

#include <cstddef>

namespace zh::texts {

// A list of English texts that belong to one message section.
struct TextList {
    const char* section;  // "Application", "Common", "SerialIO", ...
    const char* const* texts;
    std::size_t count;
};

// Caption table: index 0 is the program title, 1..366 the captions of the
// window's controls by index ("" for controls without caption).
constexpr std::size_t kCaptionCount = 367;
extern const char* const kCaptions[kCaptionCount];

// Texts of the generic dialogs, translated in section "Common" at start.
extern const TextList kCommonTexts;

// Program messages translated at start, in this order, before the HART link
// library is bound (first batch) and after it (second batch).
extern const TextList kFirstBatch[];
extern const std::size_t kFirstBatchCount;
extern const TextList kSecondBatch[];
extern const std::size_t kSecondBatchCount;

}  // namespace zh::texts
