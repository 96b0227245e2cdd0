#include "ui/dialogs/manual_window.h"

#include <QFile>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "ui/dialogs/man_page_html.h"

namespace zh {
namespace {

// The manual pages, as the package installs them.
constexpr const char* kManPages[] = {"ZEL-HART.1", "hartsim.1", "hartcmd.1"};

QString resourceText(const QString& name) {
    QFile file(QStringLiteral(":/manual/") + name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// The README without what only developers need: the table of the source
// folders.
QString guideMarkdown() {
    QStringList kept;
    bool folders = false;
    for (const QString& line : resourceText(QStringLiteral("README.md")).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("## ")))
            folders = line == QLatin1String("## Where things are");
        if (folders && (line.startsWith(QLatin1String("## ")) ||
                        line.startsWith(QLatin1Char('|')) || line.isEmpty()))
            continue;
        folders = false;
        kept << line;
    }
    return kept.join(QLatin1Char('\n'));
}

}  // namespace

void fillManual(QTextDocument& doc) {
    QString html = QStringLiteral("<p>");
    for (const char* page : kManPages) {
        const QString name = QString::fromLatin1(page).section(QLatin1Char('.'), 0, 0);
        html += QStringLiteral("<a href=\"#") + name + QStringLiteral("\">") + name +
                QStringLiteral("(1)</a> &nbsp; ");
    }
    html += QStringLiteral("</p>");
    // The guide as the markdown reader lays it out, without its page frame.
    QTextDocument guide;
    guide.setMarkdown(guideMarkdown());
    const QString guideHtml = guide.toHtml();
    const int body = guideHtml.indexOf(QLatin1Char('>'), guideHtml.indexOf(QLatin1String("<body")));
    html += guideHtml.mid(body + 1).section(QLatin1String("</body>"), 0, 0);
    for (const char* page : kManPages) {
        const QString name = QString::fromLatin1(page).section(QLatin1Char('.'), 0, 0);
        html +=
            QStringLiteral("<a name=\"") + name + QStringLiteral("\"></a>") +
            manPageHtml(resourceText(QStringLiteral("packaging/man/") + QString::fromLatin1(page)));
    }
    doc.setHtml(html);
}

ManualWindow::ManualWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("ManualWindow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(true);
    fillManual(*browser_->document());
    browser_->moveCursor(QTextCursor::Start);  // the contents first
    resize(760, 640);
}

namespace {
// The window is found by its name: the class has no meta-object of its own,
// so a look by type would take any dialog.
const char* const kManualName = "manualWindow";
}  // namespace

ManualWindow* manualOf(const QWidget* parent) {
    if (!parent) return nullptr;
    return dynamic_cast<ManualWindow*>(
        parent->findChild<QDialog*>(QLatin1String(kManualName), Qt::FindDirectChildrenOnly));
}

ManualWindow* showManual(QWidget* parent, const QString& title) {
    ManualWindow* window = manualOf(parent);
    if (!window) {
        window = new ManualWindow(parent);
        window->setObjectName(QLatin1String(kManualName));
    }
    window->setWindowTitle(title);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace zh
