#include "proxy_url.h"

namespace {

bool needsEscape(QChar c)
{
    static const QString delimiters = QStringLiteral("@:/?#%");
    return delimiters.contains(c) || c.isSpace() || c.category() == QChar::Other_Control;
}

} // namespace

QString escapeProxyCredential(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (!needsEscape(c)) {
            escaped.append(c);
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            escaped.append(
                QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper());
    }
    return escaped;
}
