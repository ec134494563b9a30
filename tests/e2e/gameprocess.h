#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One running copy of build/bin/lexiclash for the end-to-end tests: its own
// settings folder (LEXICLASH_HOME), working folder, single-instance scope and
// runtime folder, the offscreen platform, and the automation channel
// (LEXICLASH_AUTOMATION) through which the test works its windows. The
// channel's socket lies in a private folder of its own under /tmp, since a
// socket path may not be longer than 107 bytes wherever the build tree is.
class GameProcess {
public:
    // root: a folder of the test; the copy lives in root/name.
    GameProcess(const QString &root, const QString &name, quint16 gamePort);
    ~GameProcess();
    GameProcess(const GameProcess &) = delete;
    GameProcess &operator=(const GameProcess &) = delete;

    // Extra environment for the copy (before start()).
    void setEnv(const QString &key, const QString &value);
    // Removes a variable from the copy's environment (before start()).
    void unsetEnv(const QString &key);
    // Another program than gameProgram() (before start()).
    void setProgram(const QString &program) { program_ = program; }
    // Another working folder for the copy (before start()).
    void setWorkingFolder(const QString &folder) { work_ = folder; }
    // Starts the copy with the launch parameters and waits until its
    // automation channel answers; false when it did not come up.
    bool start(const QStringList &parameters);
    // Starts the copy and returns once it runs, without waiting for its
    // automation channel (for a copy that is to end on its own).
    bool launch(const QStringList &parameters);
    // Sends one automation command line and returns the answer line, or an
    // empty text when the copy did not answer.
    QByteArray command(const QByteArray &line);
    // The text after "ok " of a "text <name>" command (line breaks as "\n").
    QString text(const QString &objectName);
    // Repeats the probe until it holds or timeoutMs passed.
    static bool waitFor(const std::function<bool()> &probe, int timeoutMs = 20000);

    qint64 pid() const;
    // Number of open descriptors (-1 when the process is gone).
    int fdCount() const;
    // VmRSS and VmHWM in kB (-1 when the process is gone).
    qint64 statusKb(const char *field) const;
    // Sends a POSIX signal to the copy.
    void signal(int signo) const;
    // Waits for the copy to end; false when it is still running.
    bool waitExit(int timeoutMs = 20000);
    int exitCode() const;
    QProcess::ExitStatus exitStatus() const;
    // Everything the copy wrote to stdout and stderr.
    QByteArray log() const;

    QString home() const { return home_; }
    QString work() const { return work_; }
    QString runtime() const { return runtime_; }
    // The word-list files in the copy's runtime folder, full paths.
    QStringList wordLists() const;

private:
    bool connectAutomation();

    QString name_;
    QString program_;
    QString home_;
    QString work_;
    QString runtime_;
    QString socketFolder_;
    QString socketPath_;
    QString logPath_;
    QProcessEnvironment env_;
    std::unique_ptr<QProcess> process_;
    int fd_ = -1;
};

// The lexiclash program next to this test executable.
QString gameProgram();
