#pragma once
// The names the program saves files under. A file is only worth saving
// under a name it can open back: Open and the batch commands tell a data
// file's kind by its extension (".cfp", ".cft", ".hrt"), a blank at the end
// of a name is lost in a requester, and a backslash is an ordinary
// character on Linux that a Windows habit reads as a folder. So a name is
// checked before anything is written: a missing extension is added, and a
// name that would not come back as the same file is refused, saying why.

#include <QString>

namespace zh {

// The longest name a Linux folder entry takes (NAME_MAX), in bytes of the
// encoded name.
constexpr int kMaxFileNameBytes = 255;

struct SaveName {
    // The absolute path to write, the extension added; empty when refused.
    QString path;
    // Why the name cannot be used: an English text to look up, and a part
    // that is not translated (".cfp"). Both empty when the name is good.
    QString why;
    QString detail;

    bool refused() const { return path.isEmpty(); }
    // "a.txt: the name must end in .cfp" in English.
    QString refusalText(const QString& given) const;
};

// Checks `given`, a name as a person gave it, for a file of `extension`
// (without the dot; empty takes any name). A relative name is taken in
// `folder`. A name without extension gets `extension`; a name with another
// one, an empty one, a folder, a name with a backslash, control characters,
// "*" or "?" or a blank at either end, and a name longer than a folder entry
// are refused.
SaveName checkSaveName(const QString& given, const QString& extension, const QString& folder);

}  // namespace zh
