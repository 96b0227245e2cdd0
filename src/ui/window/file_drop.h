#pragma once
// A data file dragged from the file manager onto a window: one local file
// is taken and handed on; anything else is not accepted, so the pointer
// shows that it cannot be dropped there.

#include <QString>
#include <functional>

class QMimeData;
class QWidget;

namespace zh {

// The local file `data` carries; "" unless it is exactly one local file.
QString droppedFile(const QMimeData* data);

// Lets `window` take a dropped file and calls `open` with its path. The
// handler lives as long as the window.
void acceptFileDrops(QWidget& window, std::function<void(const QString& path)> open);

}  // namespace zh
