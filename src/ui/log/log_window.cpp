#include "ui/log/log_window.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "app/dialogs.h"
#include "app/program.h"
#include "ui/dialogs/button_mnemonics.h"
#include "ui/log/log_file_save.h"
#include "ui/log/log_view_model.h"

namespace zh {
namespace {

// The row of buttons at the top.
constexpr QRect kFirstButton(15, 10, 135, 25);
// Appends within this time reach the view together.
constexpr std::chrono::milliseconds kBatch{40};

}  // namespace

LogWindow::LogWindow(Program& program)
    : QWidget(nullptr, Qt::Window),
      p_(program),
      model_(new LogViewModel(program.log, this)),
      view_(new QListView(this)),
      batch_(new QTimer(this)) {
    setObjectName(QStringLiteral("window14"));
    setWindowTitle(QStringLiteral("Logging IO"));
    setGeometry(50, 150, 1024, 400);

    connect(button("Hide", 15, 1400), &QPushButton::clicked, this, [this] { loggingOff(); });
    connect(button("Clear", 170, 1401), &QPushButton::clicked, this, [this] { clear(); });
    connect(button("Save", 325, 1404), &QPushButton::clicked, this, [this] { save(); });
    connect(button("Replay", 490, 1405), &QPushButton::clicked, this, [this] {
        if (onReplay) onReplay();
    });
    connect(button("Comment", 655, 1406), &QPushButton::clicked, this, [this] { comment(); });
    // Beside Comment: the session's frames decoded into the log.
    frames_ = button("Frames", 810, 1407);
    frames_->setCheckable(true);
    frames_->setChecked(p_.state.FrameMonitor);
    connect(frames_, &QPushButton::toggled, this, [this](bool on) { p_.state.FrameMonitor = on; });
    markButtons(*this);

    auto* label = new QLabel(QStringLiteral("Ein-Ausgabe"), this);
    label->setObjectName(QStringLiteral("gadget1402"));
    label->move(15, 45);

    view_->setObjectName(QStringLiteral("gadget1403"));
    view_->setGeometry(10, 65, 1000, 325);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setUniformItemSizes(true);
    view_->setWordWrap(false);
    view_->setTextElideMode(Qt::ElideNone);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    model_->setFont(view_->font());
    view_->setModel(model_);

    batch_->setSingleShot(true);
    batch_->setInterval(kBatch);
    connect(batch_, &QTimer::timeout, this, [this] { flush(); });
    p_.log.onViewAppend = [this](const QString&, int) {
        model_->noteAppended();
        if (!batch_->isActive()) batch_->start();
    };
    p_.log.setViewExists(true);
    model_->catchUp();
    if (p_.state.DebugLevel >= 1) show();
}

LogWindow::~LogWindow() {
    p_.log.onViewAppend = nullptr;
}

QPushButton* LogWindow::button(const char* caption, int x, int id) {
    auto* b = new QPushButton(QLatin1String(caption), this);
    b->setObjectName(QStringLiteral("gadget") + QString::number(id));
    b->setGeometry(kFirstButton.translated(x - kFirstButton.x(), 0));
    return b;
}

void LogWindow::flush() {
    batch_->stop();
    if (model_->catchUp() && isVisible()) {
        if (model_->takeWidened()) view_->doItemsLayout();
        view_->scrollToBottom();
    }
}

void LogWindow::loggingOn() {
    const bool starts = p_.log.threshold() <= 0;
    p_.log.setThreshold(1);
    show();
    raise();
    if (onSwitched) onSwitched(true);
    if (starts && onRecordingStarts) onRecordingStarts();
}

void LogWindow::loggingOff() {
    hide();
    p_.log.setThreshold(0);
    if (onSwitched) onSwitched(false);
}

void LogWindow::clear() {
    p_.log.clearView();
    if (onRecordingStarts) onRecordingStarts();
    flush();
}

QString LogWindow::save() {
    const AskingWindow asking(p_.dialogs, this);
    const QString name = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm")) +
                         QStringLiteral(".log");
    return saveLogFile(p_, placeFile ? placeFile(name) : name, p_.log.viewText(),
                       QStringLiteral("SaveLog"));
}

void LogWindow::comment() {
    const AskingWindow asking(p_.dialogs, this);
    const QString text = p_.dialogs.inputRequester(
        QStringLiteral("Logging"), QStringLiteral("Kommentar:"), QStringLiteral("Schritt"));
    if (!text.isEmpty()) p_.log.debugLog(QStringLiteral("<<< Comment: ") + text, 1);
}

void LogWindow::closeEvent(QCloseEvent* event) {
    // The close box does what "Hide" does.
    event->ignore();
    loggingOff();
}

void LogWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    flush();
    model_->takeWidened();
    view_->scrollToBottom();
}

}  // namespace zh
