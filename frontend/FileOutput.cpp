#include "FileOutput.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace diffrascope::frontend {
namespace {

QString Failure(const QString &path, const QString &reason) {
    return QStringLiteral("cannot write '%1': %2").arg(path, reason);
}

// Reasons the temporary-file machinery would word vaguely, said plainly.
std::optional<QString> ObviousObstacle(const QString &path) {
    QFileInfo target(path);
    QFileInfo folder(target.absolutePath());
    if (!folder.exists()) {
        return QStringLiteral("the directory '%1' does not exist").arg(folder.filePath());
    }
    if (!folder.isDir()) {
        return QStringLiteral("'%1' is not a directory").arg(folder.filePath());
    }
    if (target.isDir()) {
        return QStringLiteral("it is a directory");
    }
    // a write-protected picture is kept, although the rename could replace it
    if (target.exists() && !target.isWritable()) {
        return QStringLiteral("permission denied");
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> WriteFileWhole(const QString &path, const QByteArray &bytes) {
    if (auto obstacle = ObviousObstacle(path)) {
        return Failure(path, *obstacle);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Failure(path, file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        QString reason = file.errorString();
        file.cancelWriting();
        return Failure(path, reason);
    }
    if (!file.commit()) {
        return Failure(path, file.errorString());
    }
    return std::nullopt;
}

std::optional<QString> WriteStandardOutput(const QByteArray &bytes) {
    auto size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, size, stdout) != size || std::fflush(stdout) != 0) {
        return QStringLiteral("cannot write to standard output: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    return std::nullopt;
}

} // namespace diffrascope::frontend
