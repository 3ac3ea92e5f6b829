#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace Vezedad {

namespace {
const QString kSource = QStringLiteral("FileSystemObject");

constexpr qint32 kPermissionDenied = 70;
constexpr qint32 kPathFileAccessError = 75;
constexpr qint32 kFileAlreadyExists = 58;

[[noreturn]] void raise(qint32 number, const QString& description) { throw ErrorInfo(number, description, kSource); }

QByteArray readWhole(const QString& path) {
    QFileInfo info(path);
    if (!info.exists()) raise(errFileNotFound, QStringLiteral("File not found: ") + path);
    if (info.isDir()) raise(kPathFileAccessError, QStringLiteral("Path/File access error: ") + path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) raise(kPermissionDenied, QStringLiteral("Permission denied: ") + path);
    return file.readAll();
}
} // namespace

TextStream::~TextStream() = default;

bool TextStream::AtEndOfStream() const { return m_writing || m_pos >= m_data.size(); }

QString TextStream::ReadLine() {
    if (m_writing) raise(kPathFileAccessError, QStringLiteral("Bad file mode: ") + m_path);
    const qsizetype size = m_data.size();
    if (m_pos >= size) raise(62, QStringLiteral("Input past end of file"));
    const char* d = m_data.constData();
    qsizetype end = m_pos;
    while (end < size && d[end] != '\r' && d[end] != '\n') ++end;
    QString line = Cp1252::decode(QByteArrayView(d + m_pos, end - m_pos));
    if (end < size) {
        if (d[end] == '\r' && end + 1 < size && d[end + 1] == '\n') ++end;
        ++end;
    }
    m_pos = end;
    return line;
}

QString TextStream::ReadAll() {
    if (m_writing) raise(kPathFileAccessError, QStringLiteral("Bad file mode: ") + m_path);
    QString all = Cp1252::decode(QByteArrayView(m_data).sliced(m_pos));
    m_pos = m_data.size();
    return all;
}

void TextStream::Write(const QString& text) {
    if (!m_writing) raise(kPathFileAccessError, QStringLiteral("Bad file mode: ") + m_path);
    m_data += Cp1252::encodeOrRaise(text, kSource);
}

void TextStream::WriteLine(const QString& text) {
    Write(text);
    m_data += "\r\n";
}

void TextStream::Close() {
    if (m_closed) return;
    m_closed = true;
    if (!m_writing) return;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        raise(kPermissionDenied, QStringLiteral("Permission denied: ") + m_path + QStringLiteral(" (") +
                                     file.errorString() + QStringLiteral(")"));
    if (file.write(m_data) != m_data.size() || !file.commit())
        raise(kPathFileAccessError,
              QStringLiteral("Could not write ") + m_path + QStringLiteral(": ") + file.errorString());
}

bool FileSystemObject::FileExists(const QString& path) const {
    QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

bool FileSystemObject::FolderExists(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isDir(); }

QString FileSystemObject::BuildPath(const QString& path, const QString& name) const {
    if (path.isEmpty()) return name;
    if (name.isEmpty()) return path;
    const bool left = path.endsWith(QLatin1Char('/'));
    const bool right = name.startsWith(QLatin1Char('/'));
    if (left && right) return path + name.mid(1);
    if (left || right) return path + name;
    return path + QLatin1Char('/') + name;
}

QString FileSystemObject::GetParentFolderName(const QString& path) const {
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) return QString();                                       // a bare name has no parent
    if (slash == 0) return p.size() > 1 ? QStringLiteral("/") : QString(); // the root has none
    return p.left(slash);
}

QString FileSystemObject::GetFileName(const QString& path) const {
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FileSystemObject::GetBaseName(const QString& path) const {
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString FileSystemObject::GetExtensionName(const QString& path) const {
    const QString name = GetFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString FileSystemObject::GetAbsolutePathName(const QString& path) const {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

qint64 FileSystemObject::GetFileSize(const QString& path) const {
    QFileInfo info(path);
    if (!info.exists() || info.isDir()) raise(errFileNotFound, QStringLiteral("File not found: ") + path);
    return info.size();
}

void FileSystemObject::CreateFolder(const QString& path) const {
    QFileInfo info(path);
    if (info.exists()) raise(kFileAlreadyExists, QStringLiteral("File already exists: ") + path);
    const QString parent = GetParentFolderName(path);
    if (!parent.isEmpty() && !QFileInfo(parent).isDir())
        raise(errPathNotFound, QStringLiteral("Path not found: ") + parent);
    if (!QDir().mkdir(path)) raise(kPermissionDenied, QStringLiteral("Permission denied: ") + path);
}

void FileSystemObject::DeleteFile(const QString& path) const {
    if (!FileExists(path)) raise(errFileNotFound, QStringLiteral("File not found: ") + path);
    if (!QFile::remove(path)) raise(kPermissionDenied, QStringLiteral("Permission denied: ") + path);
}

QFileInfoList FileSystemObject::Files(const QString& folder) const {
    QDir dir(folder);
    if (!dir.exists()) raise(errPathNotFound, QStringLiteral("Path not found: ") + folder);
    QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const int c = a.fileName().compare(b.fileName(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.fileName() < b.fileName();
    });
    return files;
}

std::unique_ptr<TextStream> FileSystemObject::OpenTextFile(const QString& path, IOMode mode, bool create) const {
    std::unique_ptr<TextStream> stream(new TextStream);
    stream->m_path = path;
    if (mode == ForReading) {
        stream->m_data = readWhole(path);
        return stream;
    }
    stream->m_writing = true;
    const bool exists = FileExists(path);
    if (!exists && !create) raise(errFileNotFound, QStringLiteral("File not found: ") + path);
    if (mode == ForAppending && exists) stream->m_data = readWhole(path);
    return stream;
}

std::unique_ptr<TextStream> FileSystemObject::CreateTextFile(const QString& path, bool overwrite) const {
    if (!overwrite && QFileInfo::exists(path))
        raise(kFileAlreadyExists, QStringLiteral("File already exists: ") + path);
    if (FolderExists(path)) raise(kPathFileAccessError, QStringLiteral("Path/File access error: ") + path);
    return OpenTextFile(path, ForWriting, true);
}

QString FileSystemObject::ReadAllText(const QString& path) const { return Cp1252::decode(readWhole(path)); }

} // namespace Vezedad
