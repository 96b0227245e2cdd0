#include "port_entry.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "app/dialogs.h"
#include "app/messages.h"
#include "app/program.h"
#include "app/setting_stores.h"

namespace zh {
namespace {

QString tr(Program& p, const char* text) {
    return p.messages.lookupMessage(QString::fromUtf8(text), QStringLiteral("SerialIO"));
}

bool isComName(const QString& name) {
    if (!name.startsWith(QLatin1String("com"), Qt::CaseInsensitive) || name.size() < 4)
        return false;
    bool number = false;
    const int n = name.mid(3).toInt(&number);
    return number && n >= 1 && n <= 65535 && name.mid(3).at(0).isDigit();
}

bool isSimName(const QString& name) {
    return name.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0 ||
           name.startsWith(QLatin1String("sim:"), Qt::CaseInsensitive);
}

}  // namespace

QString stablePortName(const QString& path, const QString& byIdFolder) {
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty()) return path;
    const QDir folder(byIdFolder);
    for (const QFileInfo& link : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (link.isSymLink() && link.canonicalFilePath() == device) return link.absoluteFilePath();
    }
    return path;
}

QString shownPortName(const QString& port, const QString& byIdFolder) {
    if (!port.startsWith(byIdFolder + QLatin1Char('/'))) return port;
    const QString device = QFileInfo(port).canonicalFilePath();
    return device.isEmpty() ? port : device;
}

QString portEntryProblem(Program& p, const QString& input, QString* name) {
    QString port = input.trimmed();
    *name = port;
    if (port.isEmpty() || isSimName(port) || isComName(port)) return {};
    if (!port.contains(QLatin1Char('/'))) port = QStringLiteral("/dev/") + port;
    *name = port;
    struct stat st {};
    if (::stat(QFile::encodeName(port).constData(), &st) != 0)
        return tr(p, "No such port") + QStringLiteral(": ") + port;
    if (!S_ISCHR(st.st_mode))
        return tr(p, "Not a serial port (no character device)") + QStringLiteral(": ") + port;
    return {};
}

bool enterComPort(Program& p, const QString& byIdFolder) {
    const QString answer =
        p.dialogs.inputRequester(tr(p, "Port ..."),
                                 tr(p,
                                    "Device path of the port (/dev/ttyUSB0, /dev/pts/3), "
                                    "ComN or Sim:"),
                                 p.state.ComPort);
    QString name;
    const QString problem = portEntryProblem(p, answer, &name);
    if (!problem.isEmpty()) {
        p.messages.showMessage(
            p.messages.lookupMessage(QStringLiteral("Serial IO"), QStringLiteral("Application")),
            problem, mb::Ok | mb::IconError);
        return false;
    }
    if (name.isEmpty()) return false;  // cancelled
    return selectComPort(
        p, name.startsWith(QLatin1Char('/')) ? stablePortName(name, byIdFolder) : name);
}

}  // namespace zh
