#pragma once
// Writing the finished picture: a file appears whole or not at all.

#include <QByteArray>
#include <QString>

#include <optional>

namespace diffrascope::frontend {

// Writes bytes to a file beside the target, then renames it over the target.
// Returns why it failed, or nothing on success; on failure the target is untouched.
std::optional<QString> WriteFileWhole(const QString &path, const QByteArray &bytes);

// Writes bytes to standard output; returns why it failed, or nothing.
std::optional<QString> WriteStandardOutput(const QByteArray &bytes);

} // namespace diffrascope::frontend
