#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/reportfile/ReportFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Vezedad {

namespace {
const QString kSource = QStringLiteral("FileSystemObject");

[[noreturn]] void raise(RuntimeError number, const QString& detail) { raiseRuntimeError(number, kSource, detail); }

std::filesystem::path nativePath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// A path that exists but is no regular file, after links: what it is.
QString notAFile(const QFileInfo& info) {
    return info.isDir() ? QStringLiteral(" is a folder, not a file") : QStringLiteral(" is not a regular file");
}

// A name as the disk holds it, readable whatever its bytes: what is not
// UTF-8 shows as \xHH, and a backslash as \\ so that no name reads as another.
QString visibleName(QByteArrayView bytes) {
    QString name;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes[i]);
        if (lead < 0x80) {
            name += lead == '\\' ? QStringLiteral("\\\\") : QString(QLatin1Char(char(lead)));
            ++i;
            continue;
        }
        const qsizetype length = lead >= 0xC2 && lead <= 0xDF   ? 2
                                 : lead >= 0xE0 && lead <= 0xEF ? 3
                                 : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                : 0;
        if (length > 0 && i + length <= bytes.size()) {
            const QByteArrayView piece = bytes.sliced(i, length);
            const QString character = QString::fromUtf8(piece);
            if (character.toUtf8() == piece) {
                name += character;
                i += length;
                continue;
            }
        }
        name += QStringLiteral("\\x") + QString::number(lead, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        ++i;
    }
    return name;
}

QByteArray readWhole(const FileSystemObject& fso, const QString& path) {
    QFile file;
    fso.OpenForReading(file, path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raise(rtPathFileAccessError, path + QStringLiteral(" (") + file.errorString() + QStringLiteral(")"));
    return bytes;
}

// A whole file's text, its marks dropped, in its encoding.
QString textOf(QByteArrayView bytes, const QString& path) {
    ReportFile::refuseUtf16(bytes, path);
    bytes = bytes.sliced(ReportFile::byteOrderMark(bytes));
    QString text;
    ReportFile::decode(bytes, text, ReportFile::encodingOf(bytes));
    return text;
}
} // namespace

TextStream::~TextStream() = default;

bool TextStream::AtEndOfStream() const { return m_writing || m_pos >= m_data.size(); }

QString TextStream::ReadLine() {
    if (m_writing) raiseRuntimeError(rtPathFileAccessError, kSource, QStringLiteral("Bad file mode: ") + m_path);
    if (m_pos >= m_data.size()) raiseRuntimeError(rtInputPastEndOfFile, kSource);
    ReportFile::LineSplitter lines(m_data, m_pos);
    QByteArrayView line;
    lines.next(line);
    m_pos = lines.position();
    QString text;
    ReportFile::decode(line, text, m_encoding);
    return text;
}

QString TextStream::ReadAll() {
    if (m_writing) raiseRuntimeError(rtPathFileAccessError, kSource, QStringLiteral("Bad file mode: ") + m_path);
    QString all;
    ReportFile::decode(QByteArrayView(m_data).sliced(m_pos), all, m_encoding);
    m_pos = m_data.size();
    return all;
}

void TextStream::Write(const QString& text) {
    if (!m_writing) raiseRuntimeError(rtPathFileAccessError, kSource, QStringLiteral("Bad file mode: ") + m_path);
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
    FileWriter file(m_path, kSource);
    file.writeBytes(m_data);
    file.commit();
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
    if (!info.exists() || info.isDir()) raise(rtFileNotFound, path);
    return info.size();
}

void FileSystemObject::CreateFolder(const QString& path) const {
    if (QFileInfo::exists(path)) raise(rtFileAlreadyExists, path);
    const QString parent = GetParentFolderName(path);
    if (!parent.isEmpty() && !QFileInfo(parent).isDir()) raise(rtPathNotFound, parent);
    std::error_code ec;
    // False without an error: a folder of that name came meanwhile.
    if (!std::filesystem::create_directory(nativePath(path), ec) && !ec) raise(rtFileAlreadyExists, path);
    if (!ec) return;
    if (ec == std::errc::file_exists) raise(rtFileAlreadyExists, path);
    if (ec == std::errc::no_such_file_or_directory) raise(rtPathNotFound, parent.isEmpty() ? path : parent);
    // Any other refusal keeps the number it always had (70); the text says why.
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted) raise(rtPermissionDenied, path);
    if (ec == std::errc::read_only_file_system)
        raise(rtPermissionDenied, path + QStringLiteral(" (read-only file system)"));
    throw ErrorInfo(rtPermissionDenied,
                    QStringLiteral("Could not create folder ") + path + QStringLiteral(" (") +
                        QString::fromStdString(ec.message()) + QStringLiteral(")"),
                    kSource);
}

void FileSystemObject::DeleteFile(const QString& path) const {
    if (!FileExists(path)) raise(rtFileNotFound, path);
    QFile file(path);
    if (!file.remove()) {
        if (!QFileInfo(QFileInfo(path).absolutePath()).isWritable()) raise(rtPermissionDenied, path);
        raise(rtPathFileAccessError, path + QStringLiteral(" (") + file.errorString() + QStringLiteral(")"));
    }
}

namespace {
// The one order of a folder's names: without regard to letter case, then by
// case, so that every listing gives the same order on every file system.
bool listedBefore(const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}
} // namespace

QFileInfoList FileSystemObject::Files(const QString& folder) const {
    QDir dir(folder);
    if (!dir.exists()) raise(rtPathNotFound, folder);
    QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    std::sort(files.begin(), files.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return listedBefore(a.fileName(), b.fileName()); });
    return files;
}

QList<FolderEntry> FileSystemObject::Entries(const QString& folder) const {
    QList<FolderEntry> entries;
#ifdef Q_OS_UNIX
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) raise(rtPathNotFound, folder);
        if (err == EACCES || err == EPERM) raise(rtPermissionDenied, folder);
        raise(rtPathFileAccessError,
              folder + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(err)) + QStringLiteral(")"));
    }
    const auto closeDir = qScopeGuard([dir] { ::closedir(dir); });
    // Each name is looked at where it stands, relative to the folder opened,
    // so that a name Qt cannot hold is looked at too.
    const int fd = ::dirfd(dir);
    errno = 0;
    while (const dirent* found = ::readdir(dir)) {
        const QByteArray bytes(found->d_name);
        if (bytes == "." || bytes == "..") continue;
        FolderEntry entry;
        const QString decoded = QFile::decodeName(bytes);
        entry.decodes = QFile::encodeName(decoded) == bytes;
        entry.name = entry.decodes ? decoded : visibleName(bytes);
        struct stat st {};
        if (::fstatat(fd, found->d_name, &st, 0) == 0) {
            entry.kind = S_ISREG(st.st_mode)   ? FolderEntry::File
                         : S_ISDIR(st.st_mode) ? FolderEntry::Folder
                                               : FolderEntry::Other;
            entry.size = qint64(st.st_size);
        } else {
            const int err = errno;
            struct stat link {};
            // Gone since the folder was read: it is no longer one of its names.
            if (err == ENOENT && ::fstatat(fd, found->d_name, &link, AT_SYMLINK_NOFOLLOW) != 0) continue;
            entry.kind = err == ENOENT ? FolderEntry::Missing : FolderEntry::Unreachable;
            entry.error = QString::fromLocal8Bit(std::strerror(err));
        }
        entries.append(entry);
        errno = 0;
    }
    if (errno != 0)
        raise(rtPathFileAccessError,
              folder + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral(")"));
#else
    for (const QFileInfo& info :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        FolderEntry entry;
        entry.name = info.fileName();
        entry.kind = info.isFile()                        ? FolderEntry::File
                     : info.isDir()                       ? FolderEntry::Folder
                     : info.isSymLink() && !info.exists() ? FolderEntry::Missing
                                                          : FolderEntry::Other;
        entry.size = info.size();
        entries.append(entry);
    }
    if (entries.isEmpty() && !QDir(folder).exists()) raise(rtPathNotFound, folder);
#endif
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return listedBefore(a.name, b.name); });
    return entries;
}

std::unique_ptr<TextStream> FileSystemObject::OpenTextFile(const QString& path, IOMode mode, bool create) const {
    std::unique_ptr<TextStream> stream(new TextStream);
    stream->m_path = path;
    if (mode == ForReading) {
        stream->m_data = readWhole(*this, path);
        ReportFile::refuseUtf16(stream->m_data, path);
        stream->m_pos = ReportFile::byteOrderMark(stream->m_data);
        stream->m_encoding = ReportFile::encodingOf(stream->m_data);
        return stream;
    }
    stream->m_writing = true;
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) raise(rtPathFileAccessError, path + notAFile(target));
    const bool exists = FileExists(path);
    if (!exists && !create) raise(rtFileNotFound, path);
    if (mode == ForAppending && exists) {
        stream->m_data = readWhole(*this, path);
        // What is appended is Windows-1252: a file in UTF-8 becomes
        // Windows-1252 whole rather than a mixture that reads as neither.
        if (ReportFile::encodingOf(stream->m_data) == ReportFile::Encoding::Utf8)
            stream->m_data = Cp1252::encodeOrRaise(textOf(stream->m_data, path), kSource);
        else
            ReportFile::refuseUtf16(stream->m_data, path);
    }
    return stream;
}

std::unique_ptr<TextStream> FileSystemObject::CreateTextFile(const QString& path, bool overwrite) const {
    if (!overwrite && QFileInfo::exists(path)) raise(rtFileAlreadyExists, path);
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) raise(rtPathFileAccessError, path + notAFile(target));
    return OpenTextFile(path, ForWriting, true);
}

QString FileSystemObject::ReadAllText(const QString& path) const { return textOf(readWhole(*this, path), path); }

std::optional<QString> FileSystemObject::ReadFirstTextLine(const QString& path, qsizetype maxLength) const {
    ReportFile::LineReader reader(path, ReportFile::LineReader::Reading::Text);
    // A line longer than the bound is not gathered whole.
    reader.whileGathering([&](qint64) { return reader.gathered() <= maxLength; });
    const auto tooLong = [&] {
        raise(rtPathFileAccessError,
              path + QStringLiteral(" (its first line is longer than %1 characters)").arg(maxLength));
    };
    qint64 passed = 0; // bytes of the lines without text before it
    ReportFile::LineReader::Line line;
    while (reader.next(line)) {
        if (line.bytes.size() > maxLength) tooLong();
        if (!ReportFile::isBlank(line.bytes)) {
            QString text;
            reader.decode(line, text);
            return text;
        }
        passed += line.bytes.size() + 1;
        if (passed > maxLength)
            raise(rtPathFileAccessError,
                  path + QStringLiteral(" (no line of its first %1 characters holds text)").arg(maxLength));
    }
    if (reader.stopped()) tooLong();
    return std::nullopt;
}

void FileSystemObject::OpenForReading(QFile& file, const QString& path, QIODeviceBase::OpenMode mode) const {
    const QFileInfo info(path);
    if (!info.exists()) raise(rtFileNotFound, path);
    if (!info.isFile()) raise(rtPathFileAccessError, path + notAFile(info));
#ifdef Q_OS_UNIX
    // What the name leads to may change between the look above and the
    // opening: the file is opened without waiting for a writer and checked
    // again on what was opened, so a FIFO swapped in cannot hold the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) raise(rtFileNotFound, path);
        if (err == EACCES || err == EPERM) raise(rtPermissionDenied, path);
        raise(rtPathFileAccessError,
              path + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(err)) + QStringLiteral(")"));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        raise(rtPathFileAccessError, path + QStringLiteral(" is not a regular file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path); // kept for the caller's messages
    if (!file.open(fd, mode | QIODeviceBase::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        raise(rtPathFileAccessError, path + QStringLiteral(" (") + file.errorString() + QStringLiteral(")"));
    }
#else
    file.setFileName(path);
    if (!file.open(mode | QIODeviceBase::ReadOnly)) {
        if (file.error() == QFileDevice::PermissionsError) raise(rtPermissionDenied, path);
        raise(rtPathFileAccessError, path + QStringLiteral(" (") + file.errorString() + QStringLiteral(")"));
    }
#endif
}

} // namespace Vezedad
