#include "ui/qt_text.h"

#include <QFile>

#include "core/win1252.h"

namespace vm {

QString toQt(std::string_view text) {
    return QString::fromStdString(win1252ToUtf8(text));
}

std::string fromQt(const QString& text) {
    return utf8ToWin1252(text.toStdString());
}

QString toQtPath(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string fromQtPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString toQtLines(std::string_view text) {
    QString s = toQt(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace vm
