#include "ui/qt_text.h"

#include "core/win1252.h"

namespace vm {

QString toQt(std::string_view text) {
    return QString::fromStdString(win1252ToUtf8(text));
}

std::string fromQt(const QString& text) {
    return utf8ToWin1252(text.toStdString());
}

QString toQtLines(std::string_view text) {
    QString s = toQt(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace vm
