#pragma once
// Pure text rules of the message lookup: the escaped key form the language
// files store texts in, and the filling of "{name}" placeholders by position.

#include <QString>
#include <QStringList>

namespace zh {

// Escaped key form: "=" -> "&eq;", "[" -> "&sbo;", "]" -> "&sbc;", every CR
// and every LF -> "<br>", a trailing blank -> "&nbsp;".
QString escapeMessageKey(const QString& text);
// The escapes captions use: "=", "[" and "]" only.
QString escapeCaptionKey(const QString& text);
// Undoes the escapes; "<br>" becomes a line feed.
QString unescapeMessage(const QString& text);

// Fills the placeholders of `pattern` by position: the first distinct
// "{...}" gets params[0] everywhere it occurs, the next params[1], and so on;
// surplus placeholders become empty, surplus parameters are ignored. One
// pass over the pattern: text that is filled in is never scanned again.
// Without any parameter field (`hasParams` false) the pattern stays as it is.
QString fillPositional(const QString& pattern, const QStringList& params, bool hasParams);

}  // namespace zh
