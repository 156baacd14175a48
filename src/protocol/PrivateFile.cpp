#include "protocol/PrivateFile.h"

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>

// std
#include <cerrno>

// POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelvo {

bool makeOwnerOnlyFolder(const QString& folder) {
    if (folder.isEmpty() || !QDir().mkpath(folder)) return false;
    const QByteArray path = QFile::encodeName(folder);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 07777) == S_IRWXU || ::chmod(path.constData(), S_IRWXU) == 0;
}

bool writeOwnerOnlyFile(const QString& path, const QByteArray& bytes, ExistingFile existing) {
    const QFileInfo target(path);
    const QByteArray finalName = QFile::encodeName(target.absoluteFilePath());
    // A fresh name in the same folder: mkstemp creates it exclusively, 0600, following nothing.
    QByteArray temp = QFile::encodeName(target.absolutePath()) + "/.pelvo-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = true;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok && existing == ExistingFile::Replace) {
        // rename replaces a link at the name itself, not what it points to.
        ok = ::rename(temp.constData(), finalName.constData()) == 0;
        if (ok) return true;
    } else if (ok) {
        // link refuses any name that exists, a dangling link included.
        ok = ::link(temp.constData(), finalName.constData()) == 0;
    }
    ::unlink(temp.constData());
    return ok;
}

} // namespace pelvo
