#include "ui/window/main_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <cmath>

#include "app/app_state.h"
#include "app/gadgets.h"
#include "app/logger.h"
#include "app/program.h"
#include "app/text_tables.h"
#include "ui/dialogs/test_input_window.h"
#include "ui/window/caption_room.h"
#include "ui/window/control_widgets.h"
#include "ui/window/customer_logo.h"
#include "ui/window/field_controls.h"
#include "ui/window/font_fallback.h"
#include "ui/window/program_images.h"
#include "ui/window/qt_gadgets.h"

namespace zh {
namespace {

// The window's place on the screen when it opens.
constexpr QPoint kWindowPosition(95, 96);
constexpr int kStatusFieldWidth = 250;
constexpr int kStatusProgressWidth = 100;

// The font every control has unless it is named below.
constexpr const char* kBaseFontFamily = "MS Sans Serif";
constexpr int kBaseFontSize = 8;

struct FontRule {
    const char* control;
    const char* family;
    int size;
};
constexpr FontRule kFonts[] = {
    {"DscAddUnit", "MS Sans Serif", 8}, {"DscDecPoint", "MS Sans Serif", 8},
    {"CmbOutFunc1", "Arial", 8},        {"CmbOutFunc2", "Arial", 8},
    {"FldDisplay", "Arial", 20},
};

struct ImageRule {
    const char* control;
    ProgramImage image;
};
constexpr ImageRule kImages[] = {
    {"ImgLimit1", ProgramImage::LampOff},
    {"ImgLimit2", ProgramImage::LampOff},
    {"ImgOnline", ProgramImage::LampOff},
    {"ImgStatusModule", ProgramImage::LampOff},
    {"ImgStatusFile", ProgramImage::LampOff},
    {"ImageLEDred", ProgramImage::LampRed},
    {"ImageLEDgreen", ProgramImage::LampGreen},
    {"ImageLEDblack", ProgramImage::LampOff},
    {"ImgLogo", ProgramImage::Logo},
    {"ZELLogo", ProgramImage::MakerLogo},
    {"ImgLogoEN", ProgramImage::LogoEN},
};

// The read-out of the display module: green on (almost) black.
constexpr int kReadOutText = rgb(0, 255, 0);
constexpr int kReadOutBackground = rgb(1, 1, 1);

QRect designRectOf(const ControlInfo& c) {
    return QRect(c.x, c.y, c.width, c.height);
}

int numberOf(const char* name) {
    return controlNumber(QLatin1String(name));
}

// Tab names of the panel's tab list, "name=index;..." in index order, in
// the program's language.
QStringList tabNames(const TextCatalog& texts, const QString& firstName) {
    QStringList names;
    for (const QString& item :
         QString::fromLatin1(kPanelTabs).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        names << texts.text(QStringLiteral("Application"), item.section(QLatin1Char('='), 0, 0));
    }
    if (!names.isEmpty()) names.first() = firstName;
    return names;
}

}  // namespace

MainWindow::MainWindow(Program& program, QtGadgets& gadgets, QWidget* parent)
    : QMainWindow(parent), program_(program), gadgets_(gadgets) {
    baseFont_ = programFont(QLatin1String(kBaseFontFamily), kBaseFontSize);
    setFont(baseFont_);
    const QString title =
        program_.state.WindowTitle.isEmpty() ? caption(0) : program_.state.WindowTitle;
    setWindowTitle(title);
    setWindowIcon(QIcon(programImageFile(program_.state, ProgramImage::AppIcon)));

    canvas_ = new QWidget(this);
    canvas_->installEventFilter(this);
    setCentralWidget(canvas_);
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setMovable(false);
    gadgets_.addWindow(kMainWindow, this);

    buildPanel();
    buildControls();
    buildStatusLine();
    applyFixedLooks();
    testInput_ = new TestInputWindow(this, caption(kTestInputTitleCaption), baseFont_, gadgets_);

    move(kWindowPosition);
    restoreDesignSize();
}

MainWindow::~MainWindow() = default;

QString MainWindow::caption(int index) const {
    if (index < 0) return QString();
    if (index < static_cast<int>(program_.captions.size()))
        return program_.captions[static_cast<std::size_t>(index)];
    if (index < static_cast<int>(texts::kCaptionCount))
        return QString::fromUtf8(texts::kCaptions[index]);
    return QString();
}

void MainWindow::buildPanel() {
    const ControlInfo* info = findControl(kMainPanel);
    panel_ = static_cast<QTabWidget*>(createControlWidget(*info, QString(), canvas_));
    const QStringList names = tabNames(program_.texts, caption(kFirstTabCaption));
    for (std::size_t tab = 0; tab < pages_.size(); ++tab) {
        pages_[tab] = new QWidget;
        panel_->addTab(pages_[tab], names.value(static_cast<int>(tab)));
    }
    layout_.add(panel_, designRectOf(*info), baseFont_);
    gadgets_.addControl(kMainPanel, kMainWindow, panel_, &layout_);
}

QWidget* MainWindow::tabPage(int tab) const {
    return tab >= 0 && tab < static_cast<int>(pages_.size()) ? pages_[static_cast<std::size_t>(tab)]
                                                             : nullptr;
}

void MainWindow::removePanelTab(int panel, int tab) {
    if (panel != kMainPanel) return;
    const int index = panel_->indexOf(tabPage(tab));
    if (index >= 0) panel_->removeTab(index);
}

void MainWindow::buildControls() {
    // Frames first, so that the controls they group are drawn on top of them.
    for (bool frames : {true, false}) {
        for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
            if (c->window != kMainWindow || c->kind == ControlKind::Panel) continue;
            if ((c->kind == ControlKind::Frame) != frames) continue;
            QWidget* parent = c->tab >= 0 ? tabPage(c->tab) : canvas_;
            QWidget* w = createControlWidget(*c, caption(c->caption), parent);
            layout_.add(w, designRectOf(*c), baseFont_);
            gadgets_.addControl(c->number, kMainWindow, w, &layout_);
        }
    }
}

void MainWindow::buildStatusLine() {
    QStatusBar* bar = statusBar();
    for (QLabel*& field : statusFields_) {
        field = new QLabel(bar);
        field->setTextFormat(Qt::PlainText);
        // Never let the status line's texts hold the window wider than the user wants it.
        field->setMinimumWidth(1);
        field->setMaximumWidth(kStatusFieldWidth);
        bar->addWidget(field, 1);
    }
    progress_ = new QProgressBar(bar);
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->setMinimumWidth(1);
    progress_->setMaximumWidth(kStatusProgressWidth);
    bar->addPermanentWidget(progress_);
    gadgets_.setStatusProgressBar(progress_);
}

void MainWindow::applyFixedLooks() {
    for (const FontRule& f : kFonts)
        gadgets_.setFont(numberOf(f.control), QLatin1String(f.family), f.size, false);
    for (const ImageRule& i : kImages)
        gadgets_.setImage(numberOf(i.control), programImageFile(program_.state, i.image));

    if (auto* readOut = qobject_cast<QLabel*>(gadgets_.widget(numberOf("FldDisplay")))) {
        readOut->setAlignment(Qt::AlignCenter);
        readOut->setFrameShape(QFrame::Box);
    }
    gadgets_.setColours(numberOf("FldDisplay"), kReadOutText, kReadOutBackground);
}

QTextEdit* MainWindow::diagnosticReport() const {
    return qobject_cast<QTextEdit*>(gadgets_.widget(numberOf("DiagReport")));
}

void MainWindow::setStatusText(int field, const QString& text) {
    QLabel* f = statusField(field);
    if (!f) return;
    f->setText(text);
    // A field cut short by its width shows the whole text when pointed at.
    f->setToolTip(text);
}

QString MainWindow::statusText(int field) const {
    const QLabel* f = statusField(field);
    return f ? f->text() : QString();
}

QLabel* MainWindow::statusField(int field) const {
    return field >= 0 && field < static_cast<int>(statusFields_.size())
               ? statusFields_[static_cast<std::size_t>(field)]
               : nullptr;
}

bool MainWindow::showCustomerLogo(const QString& srcFile) {
    program_.log.debugLog(
        QStringLiteral(">>> Customerlogo(SrcFile.s=") + srcFile + QLatin1Char(')'), 1);
    const QString file = customerLogoFile(program_, srcFile);
    QPixmap logo;
    if (!file.isEmpty() && !logo.load(file)) reportUnreadableLogo(program_, file);
    if (logo.isNull()) {
        showBuiltInLogo();
        return false;
    }
    const int area = numberOf("LogoPlaceholder");
    for (const char* builtIn : {"ImgLogo", "ZELLogo", "ImgLogoEN"})
        gadgets_.setHidden(numberOf(builtIn), true);
    layout_.setDesignRect(gadgets_.widget(area),
                          logoPlacement(designRectOf(*findControl(area)), logo.size()));
    gadgets_.setPixmap(area, logo);
    gadgets_.setHidden(area, false);
    return true;
}

void MainWindow::showBuiltInLogo() {
    const int area = numberOf("LogoPlaceholder");
    gadgets_.setHidden(area, true);
    gadgets_.setPixmap(area, QPixmap());
    layout_.setDesignRect(gadgets_.widget(area), designRectOf(*findControl(area)));
    const BuiltInLogo shown = builtInLogo(program_.state);
    gadgets_.setHidden(numberOf("ImgLogo"), shown != BuiltInLogo::Logo);
    gadgets_.setHidden(numberOf("ZELLogo"), shown != BuiltInLogo::MakerLogo);
    gadgets_.setHidden(numberOf("ImgLogoEN"), shown != BuiltInLogo::LogoEN);
}

QWidget* MainWindow::testInputWindow() const {
    return testInput_;
}

void MainWindow::showTestInput(bool shown) {
    if (testInput_) testInput_->setVisible(shown);
}

void MainWindow::restoreDesignSize() {
    canvas_->setFixedSize(kDesignWidth, kDesignHeight);
    adjustSize();
    canvas_->setMinimumSize(0, 0);
    canvas_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    rescale();
}

void MainWindow::rescale() {
    const double sx = static_cast<double>(canvas_->width()) / kDesignWidth;
    const double sy = static_cast<double>(canvas_->height()) / kDesignHeight;
    // Captions are measured at the design size, so this holds at every scale;
    // it runs here because texts may have changed since the last time.
    makeRoomForCaptions(layout_, gadgets_, kMainWindow, captionWidths_);
    layout_.scaleTo(sx, sy);
    for (QLabel* field : statusFields_)
        field->setMaximumWidth(std::max(1, static_cast<int>(std::lround(kStatusFieldWidth * sx))));
    progress_->setMaximumWidth(
        std::max(1, static_cast<int>(std::lround(kStatusProgressWidth * sx))));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas_ && event->type() == QEvent::Resize) rescale();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    gadgets_.post(WindowEvent{EventSizeWindow, kMainWindow, -1, -1, -1});
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
        return;
    }
    event->ignore();
    gadgets_.post(WindowEvent{EventCloseWindow, kMainWindow, -1, -1, -1});
}

}  // namespace zh
