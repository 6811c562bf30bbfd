#pragma once

// Runs the built program as a shell user would, with no display: arguments and output are
// bytes, so names that are not UTF-8 pass both ways.

#include <QByteArrayList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

struct ArveloRun
{
    int exitCode = -1; // -1 when it did not end by itself
    QByteArray out;
    QByteArray err;
};

// Starts the program; environment adds "NAME=value" entries to the test's own, less any display.
// Another binary may stand in, given the same way.
inline void startArvelo(QProcess &program, const QByteArrayList &arguments,
    const QStringList &environment = {}, const QString &binary = QString::fromUtf8(ARVELO_BINARY))
{
    using namespace Qt::StringLiterals;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        variables.remove(name);
    for (const QString &variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    program.setProcessEnvironment(variables);
    // QProcess would pass the arguments as UTF-8; the shell's printf makes every byte itself.
    QString script = u"exec \"$0\""_s;
    for (const QByteArray &argument : arguments) {
        QString octal;
        for (const char byte : argument)
            octal += u"\\%1"_s.arg(uint(uchar(byte)), 3, 8, QChar(u'0'));
        script += u" \"$(printf '%1')\""_s.arg(octal);
    }
    program.start(u"/bin/sh"_s, {u"-c"_s, script, binary});
}

// Runs it to its end, in the given working folder (else the test's own).
inline ArveloRun runArvelo(const QByteArrayList &arguments, const QStringList &environment = {},
    const QString &workingFolder = {}, const QString &binary = QString::fromUtf8(ARVELO_BINARY))
{
    QProcess program;
    program.setWorkingDirectory(workingFolder);
    startArvelo(program, arguments, environment, binary);
    ArveloRun run;
    if (program.waitForFinished(60000) && program.exitStatus() == QProcess::NormalExit)
        run.exitCode = program.exitCode();
    run.out = program.readAllStandardOutput();
    run.err = program.readAllStandardError();
    return run;
}
