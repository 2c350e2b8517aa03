// file_paths.h — paths between the window's text and the bytes the file layer takes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace korvel {

// The bytes of a path that the window holds as text (a panel's or a drop's choice).
inline std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A path's bytes as text to show: bytes that are not UTF-8 show as replacement characters, so such a path
// is kept as bytes and only shown through this.
inline QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace korvel
