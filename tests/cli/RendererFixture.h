#pragma once
// diffrascope-render run as a user runs it, in a folder of its own.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace diffrascope::testing {

inline constexpr int kProcessTimeoutMs = 120000;

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class Renderer : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    // Runs the renderer in the test's own folder.
    Outcome Run(const QStringList &arguments) { return RunProgram(QStringLiteral(DIFFRASCOPE_RENDER_PATH), arguments); }

    // Runs a shell command line in the test's own folder.
    Outcome RunShell(const QString &commandLine) { return RunProgram(QStringLiteral("/bin/sh"), {"-c", commandLine}); }

    Outcome RunProgram(const QString &program, const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(folder_.path());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(kProcessTimeoutMs)) << arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QString Path(const QString &name) const { return folder_.filePath(name); }
    QStringList Entries() const { return QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

  private:
    QTemporaryDir folder_;
};

inline QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList Arguments(const std::vector<std::string> &arguments) {
    QStringList list;
    for (const std::string &argument : arguments) {
        list << QString::fromStdString(argument);
    }
    return list;
}

} // namespace diffrascope::testing
