#include "ui/log/replay_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "ui/dialogs/button_mnemonics.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

ReplayWindow::ReplayWindow(QtGadgets& gadgets) : QWidget(nullptr, Qt::Window), gadgets_(gadgets) {
    setObjectName(QStringLiteral("window18"));
    setWindowTitle(QStringLiteral("Replay"));
    setGeometry(550, 50, 400, 600);
    addButton(QStringLiteral("Step"), replay::kStep, 10);
    addButton(QStringLiteral("Continue"), replay::kContinue, 110);
    addButton(QStringLiteral("Exit"), replay::kExit, 210);
    addButton(QStringLiteral("Stop"), replay::kStop, 310);
    markButtons(*this);
    auto* label = new QLabel(QStringLiteral("Replay commands"), this);
    label->setGeometry(15, 45, 370, 18);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("gadget1410"));
    list_->setGeometry(10, 65, 380, 525);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        gadgets_.post(WindowEvent{EventLeftDoubleClick, replay::kWindow, replay::kList, -1,
                                  list_->row(item) + 1});
    });
}

QPushButton* ReplayWindow::addButton(const QString& caption, int id, int x) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QStringLiteral("gadget") + QString::number(id));
    b->setGeometry(x, 10, 80, 25);
    connect(b, &QPushButton::clicked, this, [this, id] {
        gadgets_.post(WindowEvent{EventGadget, replay::kWindow, id, -1, GadgetSelect});
    });
    return b;
}

QPushButton* ReplayWindow::button(int id) const {
    return findChild<QPushButton*>(QStringLiteral("gadget") + QString::number(id));
}

void ReplayWindow::open(const QStringList& lines) {
    list_->clear();
    for (const QString& line : lines)
        list_->addItem(QString(line).replace(QLatin1Char('\t'), QLatin1String("  ")));
    show();
}

void ReplayWindow::highlight(int line) {
    if (line >= 1 && line <= list_->count()) {
        list_->setCurrentRow(line - 1);
        list_->scrollToItem(list_->currentItem());
    } else {
        list_->clearSelection();
    }
}

void ReplayWindow::setRunning(bool running) {
    button(replay::kStop)->setEnabled(running);
    for (const int id : {replay::kStep, replay::kContinue, replay::kExit})
        button(id)->setEnabled(!running);
}

void ReplayWindow::activate() {
    raise();
    activateWindow();
}

void ReplayWindow::close() {
    closing_ = true;
    QWidget::close();
    closing_ = false;
}

// The close box ends the replay as "Exit" does.
void ReplayWindow::closeEvent(QCloseEvent* event) {
    if (!closing_) gadgets_.post(WindowEvent{EventCloseWindow, replay::kWindow, -1, -1, -1});
    event->accept();
}

}  // namespace zh
