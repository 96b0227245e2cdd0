#include "ui/dialogs/report_box.h"

#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace zh {

int showReportBox(const QString& reportFile) {
    QFile file(reportFile);
    if (!file.open(QIODevice::ReadOnly)) return 1;
    const QString content = QString::fromUtf8(file.readAll());
    file.close();
    const qsizetype lineEnd = content.indexOf(QLatin1Char('\n'));
    const QString title = lineEnd < 0 ? QString() : content.left(lineEnd);
    QString text = lineEnd < 0 ? content : content.mid(lineEnd + 1);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    bool ok = false;
    const int closeAfterMs = qEnvironmentVariableIntValue("ZH_REPORT_BOX_CLOSE_MS", &ok);
    // A timer object rather than QTimer::singleShot: the static analyser
    // does not know that singleShot hands the slot over to Qt and reports
    // it as leaked; a connection it does know.
    QTimer closer;
    if (ok) {
        closer.setSingleShot(true);
        closer.callOnTimeout(&box, [&box] {
            std::printf("%s\n%s\n", box.windowTitle().toLocal8Bit().constData(),
                        box.text().toLocal8Bit().constData());
            std::fflush(stdout);
            box.accept();
        });
        closer.start(std::max(0, closeAfterMs));
    }
    box.exec();
    return 0;
}

}  // namespace zh
