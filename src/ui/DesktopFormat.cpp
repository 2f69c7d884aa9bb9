#include "ui/DesktopFormat.h"

namespace narv {

QString ToQString(const std::string& text)
{
    QString result = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    result.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

std::string ToStdString(const QString& text)
{
    return text.toStdString();
}

QString ToQString(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(text.data()),
                             static_cast<qsizetype>(text.size()));
}

std::filesystem::path ToPath(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()),
                                               static_cast<std::size_t>(utf8.size())));
}

QString PlainCaption(const std::string& caption)
{
    QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    // "&&" is a literal ampersand; a single "&" marks the accelerator.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text.trimmed();
}

} // namespace narv
