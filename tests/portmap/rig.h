#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

// The small internet of rig.sh for one test: started in a mode, it stands
// until this object goes, and then removes itself (also when the test
// process dies, since the rig ends with its standard input).
class Rig {
public:
    Rig() = default;
    ~Rig();
    Rig(const Rig &) = delete;
    Rig &operator=(const Rig &) = delete;

    // Builds the rig; true once it stands. Otherwise skipReason() or
    // failure() says why.
    bool start(const QString &mode);
    // Why namespaces cannot be used here, when that is what stopped start().
    QString skipReason() const { return skip_; }
    QString failure() const { return failure_; }
    // A value of the rig's "ready" line: home, router, remote, home_ip,
    // home_ip6, wan_ip, remote_ip, upnpd_log.
    QString value(const QString &key) const { return values_.value(key); }
    // The launcher that runs a program in one of the rig's namespaces.
    QStringList in(const QString &nameKey) const;
    // Runs a command in a namespace and returns its exit code (-1 when it did
    // not end within timeoutMs) and output.
    int run(const QString &nameKey, const QStringList &command, QByteArray *output = nullptr,
            int timeoutMs = 10000) const;
    // The router's forwarding rules made by miniupnpd.
    QByteArray mappings() const;
    // What miniupnpd has logged so far.
    QByteArray routerLog() const;

private:
    QProcess process_;
    QMap<QString, QString> values_;
    QString skip_;
    QString failure_;
};

// The rig script next to this test's sources.
QString rigScript();
