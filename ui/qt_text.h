#pragma once
// The Qt boundary of the program's text: inside, Windows-1252 bytes in std::string; in Qt, QString.

#include <QString>
#include <string>
#include <string_view>

namespace vm {

QString toQt(std::string_view text);

// Characters that Windows-1252 cannot hold become "?".
std::string fromQt(const QString& text);

// For display in a Qt widget: CR LF (and a lone CR) become a line feed.
QString toQtLines(std::string_view text);

// A path of the file system (bytes, see core/file_names.h) for Qt, and back; not for program
// text. Bytes that are not UTF-8 cannot pass through Qt unchanged.
QString toQtPath(std::string_view path);
std::string fromQtPath(const QString& path);

}  // namespace vm
