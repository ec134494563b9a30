#include "net/internetreport.h"

#include <QList>

namespace {
constexpr char kTag[] = "internet";

QByteArray oneField(const QString &text)
{
    QByteArray field = text.toUtf8();
    field.replace('\t', ' ').replace('\r', ' ').replace('\n', ' ');
    return field;
}
} // namespace

QByteArray internetReportLine(const InternetReport &report)
{
    const QByteArray port =
        report.outside.host.isEmpty() ? QByteArray() : QByteArray::number(report.outside.port);
    return QByteArray(kTag) + '\t' + oneField(report.outside.host) + '\t' + port + '\t' +
           oneField(report.message) + '\n';
}

std::optional<InternetReport> readInternetReportLine(const QByteArray &line)
{
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 4 || fields[0] != kTag)
        return std::nullopt;
    InternetReport report;
    report.message = QString::fromUtf8(fields[3]);
    if (fields[1].isEmpty())
        return report;
    bool ok = false;
    const uint port = fields[2].toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    report.outside = {QString::fromUtf8(fields[1]), quint16(port)};
    return report;
}
