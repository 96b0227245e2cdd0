#include "ui/window/file_drop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <utility>

namespace zh {
namespace {

class FileDrop final : public QObject {
  public:
    FileDrop(QWidget& window, std::function<void(const QString&)> open)
        : QObject(&window), open_(std::move(open)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedFile(drag->mimeData()).isEmpty()) return false;
            drag->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = droppedFile(drop->mimeData());
            if (path.isEmpty()) return false;
            drop->acceptProposedAction();
            open_(path);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void(const QString&)> open_;
};

}  // namespace

QString droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return QString();
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

void acceptFileDrops(QWidget& window, std::function<void(const QString& path)> open) {
    window.setAcceptDrops(true);
    window.installEventFilter(new FileDrop(window, std::move(open)));
}

}  // namespace zh
