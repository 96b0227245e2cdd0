#include "ui/dialogs/progress_window.h"

#include <QCloseEvent>
#include <QColor>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "app/gadgets.h"

namespace zh {
namespace {

QString gadgetName(int number) {
    return QStringLiteral("gadget") + QString::number(number);
}

template <typename W>
W* placed(W* w, int number, const QRect& place) {
    w->setObjectName(gadgetName(number));
    w->setGeometry(place);
    return w;
}

// The places of the controls while every text fits its place.
constexpr QRect kIconPlace(20, 12, 32, 32);
constexpr QRect kStepPlace(60, 14, 300, 30);
constexpr QRect kBarPlace(60, 54, 300, 16);
constexpr QRect kButtonPlace(300, 78, 60, 26);
constexpr QRect kStatusPlace(60, 82, 230, 16);
constexpr QRect kNotePlace(370, 55, 30, 16);

// The button keeps its right edge and grows to the left as far as its caption
// needs ("Abbrechen" is wider than "Cancel"); the status line gives way.
QRect buttonPlace(const QPushButton* button) {
    constexpr int kPadding = 8;  // each side of the caption
    const int width =
        std::max(kButtonPlace.width(),
                 button->fontMetrics().horizontalAdvance(button->text()) + 2 * kPadding);
    return kButtonPlace.adjusted(kButtonPlace.width() - width, 0, 0, 0);
}

QRect statusPlace(const QRect& button) {
    return kStatusPlace.adjusted(0, 0, std::min(0, button.left() - kButtonPlace.left()), 0);
}

// How much taller than `place` the label's text is when wrapped at its width.
int extraHeight(const QLabel* label, const QRect& place) {
    if (label->text().isEmpty()) return 0;
    const QRect needed = label->fontMetrics().boundingRect(
        QRect(0, 0, place.width(), QWIDGETSIZE_MAX), Qt::TextWordWrap, label->text());
    return std::max(0, needed.height() - place.height());
}

// -1 brings back the palette the control had when it was made.
void applyColour(QWidget* w, QPalette::ColorRole role, int colour, const QPalette& original) {
    if (colour == -1) {
        w->setPalette(original);
        return;
    }
    QPalette p = original;
    p.setColor(role, colourOf(colour));
    w->setPalette(p);
}

}  // namespace

QColor colourOf(int value) {
    return QColor(redOf(value), greenOf(value), blueOf(value));
}

ProgressWindow::ProgressWindow(const QString& buttonCaption)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("window3"));
    setFixedSize(kSize);

    icon_ = placed(new QLabel(this), kIcon, kIconPlace);
    icon_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));

    step_ = placed(new QLabel(this), kStep, kStepPlace);
    step_->setWordWrap(true);
    step_->setTextFormat(Qt::PlainText);

    bar_ = placed(new QProgressBar(this), kBar, kBarPlace);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);

    button_ = placed(new QPushButton(buttonCaption, this), kButton, kButtonPlace);
    button_->setDefault(true);
    QObject::connect(button_, &QPushButton::clicked, this, [this] {
        if (onButton_) onButton_();
    });

    status_ = placed(new QLabel(this), kStatus, kStatusPlace);
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The note holds the time and the step of the last log entry: far more
    // than its place shows, so the whole of it is in the tooltip too.
    note_ = placed(new QLabel(this), kNote, kNotePlace);
    note_->setTextFormat(Qt::PlainText);
    QFont small = note_->font();
    if (small.pointSizeF() > 0) {
        small.setPointSizeF(small.pointSizeF() * 0.75);
        note_->setFont(small);
    }

    barPalette_ = bar_->palette();
    statusPalette_ = status_->palette();
    fitTexts();
}

void ProgressWindow::placeOver(const QWidget* mainWindow) {
    move(mainWindow ? mainWindow->pos() + kOffset : kPlaceWithoutMain);
}

void ProgressWindow::setStep(const QString& text) {
    step_->setText(text);
    fitTexts();
}

void ProgressWindow::fitTexts() {
    const QRect button = buttonPlace(button_);
    const QRect status = statusPlace(button);
    const int stepExtra = extraHeight(step_, kStepPlace);
    const int statusExtra = extraHeight(status_, status);
    step_->setGeometry(kStepPlace.adjusted(0, 0, 0, stepExtra));
    bar_->setGeometry(kBarPlace.translated(0, stepExtra));
    note_->setGeometry(kNotePlace.translated(0, stepExtra));
    button_->setGeometry(button.translated(0, stepExtra));
    status_->setGeometry(status.translated(0, stepExtra).adjusted(0, 0, 0, statusExtra));
    setFixedSize(kSize + QSize(0, stepExtra + statusExtra));
}

void ProgressWindow::setBar(int percent, int colour) {
    bar_->setValue(std::clamp(percent, 0, 100));
    applyColour(bar_, QPalette::Highlight, colour, barPalette_);
}

QString ProgressWindow::statusText() const {
    return status_->text();
}

void ProgressWindow::setStatus(const QString& text, int colour) {
    status_->setText(text);
    applyColour(status_, QPalette::WindowText, colour, statusPalette_);
    fitTexts();
}

void ProgressWindow::setButtonCaption(const QString& caption) {
    button_->setText(caption);
    fitTexts();
}

void ProgressWindow::setNote(const QString& text) {
    note_->setText(text);
    note_->setToolTip(text);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCloseBox_) onCloseBox_();
}

}  // namespace zh
