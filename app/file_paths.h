// file_paths.h — paths between the window's text and the bytes the file layer takes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QUrl>

#include <string>

namespace korvel {

// The bytes of a path that the window holds as text (a panel's choice).
inline std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The bytes of a dropped file's path, taken from the URL's percent-encoded form: QUrl::toLocalFile decodes
// it as UTF-8 and turns other bytes into replacement characters, naming a file that does not exist. A host
// other than this machine is kept in front, as toLocalFile keeps it.
inline std::string LocalPathBytes(const QUrl& url) {
    QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString host = url.host(QUrl::FullyEncoded);
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        bytes.prepend("//" + host.toLatin1());
    return bytes.toStdString();
}

// A path's bytes as text to show: bytes that are not UTF-8 show as replacement characters, so such a path
// is kept as bytes and only shown through this.
inline QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace korvel
