#include "report_viewer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>

namespace zh {

namespace {

bool writeAll(int fd, const char* p, std::size_t left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n <= 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ReportViewer::ReportViewer(const QString& program, const QString& reportFile)
    : program_(QFile::encodeName(program).toStdString()),
      reportFile_(QFile::encodeName(reportFile).toStdString()) {}

bool ReportViewer::show(const QString& title, const QString& text) const {
    const QByteArray content = title.toUtf8() + '\n' + text.toUtf8();
    const int fd = ::open(reportFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written =
        writeAll(fd, content.constData(), static_cast<std::size_t>(content.size()));
    ::close(fd);
    if (!written) {
        ::unlink(reportFile_.c_str());
        return false;
    }

    const std::string flag = argument().toStdString();
    char* const argv[] = {const_cast<char*>(program_.c_str()), const_cast<char*>(flag.c_str()),
                          const_cast<char*>(reportFile_.c_str()), nullptr};
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(program_.c_str(), argv);
        _exit(127);
    }
    int status = 0;
    bool shown = false;
    if (child > 0) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        shown = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    ::unlink(reportFile_.c_str());
    return shown;
}

}  // namespace zh
