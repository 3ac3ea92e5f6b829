#include "ZiverezUvaveded/cZip.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Text.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

namespace VezirodEdovud {

namespace {

constexpr qsizetype kMaxCommentBytes = 255;
constexpr qint32 kMaxPasswordLength = 256;

// Results of a run besides libzip's own error codes (which are positive).
enum RunResult : qint32 {
    runOk = 0,
    runNoArchiveName = -1,
    runNotAFile = -2,
    runCancelled = -3,
    runBadText = -4,
    runPasswordMismatch = -5,
};

// The library's messages name files the way the desktop writes paths.
QString ReplaceSlashes(QString text) { return text.replace(QLatin1Char('/'), QLatin1Char('\\')); }

[[noreturn]] void raiseSubscript() {
    Vezedad::raiseRuntimeError(Vezedad::rtSubscriptOutOfRange, QStringLiteral("VezirodEdovud"));
}

// Owns an open archive: whatever path leaves a run, the handle is freed and
// an unfinished archive is dropped, never half-written to disk.
class Archive {
public:
    Archive(const QString& path, int flags) {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), flags, &error);
        m_error = m_zip ? 0 : error;
    }
    ~Archive() {
        if (m_zip) zip_discard(m_zip);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    zip_t* get() const { return m_zip; }
    qint32 openError() const { return m_error; }
    qint32 lastError() const { return qint32(zip_error_code_zip(zip_get_error(m_zip))); }

    // Writes the archive out; libzip writes it under a temporary name in the
    // same folder and renames it once it is complete.
    qint32 close() {
        if (zip_close(m_zip) == 0) {
            m_zip = nullptr;
            return runOk;
        }
        const qint32 error = lastError();
        zip_discard(m_zip);
        m_zip = nullptr;
        return error != 0 ? error : ZIP_ER_WRITE;
    }

private:
    zip_t* m_zip = nullptr;
    qint32 m_error = 0;
};

struct Entry {
    QString path;
    QString name;
};

} // namespace

cZip::cZip(QObject* parent) : QObject(parent) {}

void cZip::setMessageLevel(qint32 eLevel) {
    if (eLevel >= 0 && eLevel <= 2) m_messageLevel = eLevel;
}

QVariant cZip::FileSpec(qint32 nIndex) const {
    if (nIndex < 1 || nIndex > FileSpecCount()) raiseSubscript();
    return QVariant(m_specs.at(nIndex - 1));
}

void cZip::Zip() {
    if (m_specs.size() > MaxFileSpecs) raiseSubscript();
    m_lastResult = runZip();
}

void cZip::Delete() {
    if (m_specs.size() > MaxFileSpecs) raiseSubscript();
    runDelete();
}

// Relative names, the archive's included, are taken from the base folder,
// without changing the process's current folder.
QDir cZip::baseFolder() const {
    const QString base = Vezedad::trimBlanks(m_basePath).toString();
    return QDir(base.isEmpty() ? QDir::currentPath() : base);
}

QString cZip::entryName(const QString& path) const {
    const QFileInfo info(path);
    if (!m_storeFolderNames) return info.fileName();
    const QString base = Vezedad::trimBlanks(m_basePath).toString();
    QString name = base.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : QDir(base).relativeFilePath(path);
    while (name.startsWith(QLatin1Char('/'))) name.remove(0, 1);
    return name;
}

qint32 cZip::runZip() {
    if (Vezedad::trimBlanks(m_zipFile).isEmpty()) return runNoArchiveName;
    const QDir baseDir = baseFolder();

    // Every listed file must be there before anything is written: an archive
    // that silently lacks one of them must never come out of a run.
    QList<Entry> entries;
    for (const QString& fileSpec : std::as_const(m_specs)) {
        const QString path = baseDir.absoluteFilePath(fileSpec);
        const QFileInfo info(path);
        if (info.isFile()) {
            entries.append({path, entryName(path)});
        } else if (info.isDir() && m_recurseSubDirs) {
            QDir::Filters filters = QDir::Files;
            if (m_includeHidden) filters |= QDir::Hidden | QDir::System;
            QDirIterator it(path, filters, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString file = it.next();
                entries.append({file, entryName(file)});
            }
        } else {
            return runNotAFile;
        }
    }

    QString comment;
    if (m_addComment) {
        bool cancel = false;
        Q_EMIT CommentRequest(comment, cancel);
        comment = Vezedad::trimBlanks(comment).toString();
        if (comment.isEmpty() || cancel) return runCancelled;
    }
    // A password is asked for twice, the second time to confirm it.
    QByteArray passwordBytes;
    if (m_encrypt) {
        for (const bool confirm : {false, true}) {
            QString password;
            bool cancel = false;
            Q_EMIT PasswordRequest(password, kMaxPasswordLength, confirm, cancel);
            if (password.isEmpty() || cancel) return runCancelled;
            QByteArray bytes;
            if (!Vezedad::Cp1252::encode(password, bytes)) return runBadText;
            bytes.truncate(kMaxPasswordLength - 1);
            if (confirm && bytes != passwordBytes) return runPasswordMismatch;
            passwordBytes = bytes;
        }
    }

    Archive archive(baseDir.absoluteFilePath(m_zipFile), m_allowAppend ? ZIP_CREATE : ZIP_CREATE | ZIP_TRUNCATE);
    if (!archive.get()) return archive.openError() != 0 ? archive.openError() : ZIP_ER_OPEN;

    if (!comment.isEmpty()) {
        QByteArray bytes;
        if (!Vezedad::Cp1252::encode(comment, bytes)) return runBadText;
        bytes.truncate(kMaxCommentBytes);
        // The comment is limited in single-byte characters, but the archive
        // takes it only as UTF-8.
        const QByteArray utf8 = Vezedad::Cp1252::decode(bytes).toUtf8();
        if (zip_set_archive_comment(archive.get(), utf8.constData(), zip_uint16_t(utf8.size())) != 0)
            return archive.lastError();
    }

    for (const Entry& entry : std::as_const(entries)) {
        bool cancel = false;
        Q_EMIT Cancel(entry.name, cancel);
        if (cancel) return runCancelled;
        // Level 1 is the quiet one: no message per file.
        if (m_messageLevel != 1) Q_EMIT Progress(1, ReplaceSlashes(QStringLiteral("  adding: ") + entry.name));

        zip_source_t* source = zip_source_file(archive.get(), QFile::encodeName(entry.path).constData(), 0, -1);
        if (!source) return archive.lastError();
        const QByteArray name = entry.name.toUtf8();
        const zip_int64_t index = zip_file_add(archive.get(), name.constData(), source,
                                               ZIP_FL_ENC_UTF_8 | (m_allowAppend ? ZIP_FL_OVERWRITE : 0));
        if (index < 0) {
            zip_source_free(source);
            return archive.lastError();
        }
        if (m_encrypt &&
            zip_file_set_encryption(archive.get(), zip_uint64_t(index), ZIP_EM_AES_256, passwordBytes.constData()) != 0)
            return archive.lastError();
    }
    return archive.close();
}

qint32 cZip::runDelete() {
    if (Vezedad::trimBlanks(m_zipFile).isEmpty()) return runNoArchiveName;
    Archive archive(baseFolder().absoluteFilePath(m_zipFile), 0);
    if (!archive.get()) return archive.openError() != 0 ? archive.openError() : ZIP_ER_OPEN;
    for (const QString& fileSpec : std::as_const(m_specs)) {
        const QByteArray name = entryName(fileSpec).toUtf8();
        const zip_int64_t index = zip_name_locate(archive.get(), name.constData(), ZIP_FL_ENC_UTF_8);
        if (index >= 0 && zip_delete(archive.get(), zip_uint64_t(index)) != 0) return archive.lastError();
    }
    return archive.close();
}

} // namespace VezirodEdovud
