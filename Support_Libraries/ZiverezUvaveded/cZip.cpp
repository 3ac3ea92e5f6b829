#include "ZiverezUvaveded/cZip.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Text.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include <sys/stat.h>
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
    runFileUnreadable = -6,
    runFileChanged = -7,
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
    // The library's words for a failed close, with the system's reason.
    const QString& closeErrorText() const { return m_errorText; }

    // Writes the archive out; libzip writes it under a temporary name in the
    // same folder and renames it once it is complete.
    qint32 close() {
        if (zip_close(m_zip) == 0) {
            m_zip = nullptr;
            return runOk;
        }
        const qint32 error = lastError();
        m_errorText = QString::fromLocal8Bit(zip_error_strerror(zip_get_error(m_zip)));
        zip_discard(m_zip);
        m_zip = nullptr;
        return error != 0 ? error : ZIP_ER_WRITE;
    }

private:
    zip_t* m_zip = nullptr;
    qint32 m_error = 0;
    QString m_errorText;
};

// What a file was when the run began. A file that is not the same once its
// entry is written was written meanwhile, and the entry may hold neither the
// old bytes nor the new (a file cut short while it is read still gives an
// entry whose checksum fits what was read).
struct Stamp {
    qint64 size = -1;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const struct stat& st) {
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec)};
}

struct Entry {
    QString path;
    QString name;
    Stamp before;
    mode_t mode = 0;
};

// Why path cannot be packed, in the file system's words ("File not found:
// ...", "Permission denied: ..."); empty when it can.
QString whyUnreadable(const QString& path) {
    try {
        QFile file;
        Vezedad::Globals::FSO().OpenForReading(file, path);
        return {};
    } catch (const Vezedad::ErrorInfo& e) {
        return e.Description();
    }
}

QString changedText() {
    return QStringLiteral("It changed while it was being packed: another program may be writing it. Try again once "
                          "that program has finished with it.");
}

// The words for a run's result that no file or close explained.
QString failureText(qint32 result) {
    switch (result) {
    case runNoArchiveName: return QStringLiteral("No archive name was given.");
    case runCancelled: return QStringLiteral("The packing was cancelled.");
    case runBadText: return QStringLiteral("The comment or password holds a character that Windows-1252 lacks.");
    case runPasswordMismatch: return QStringLiteral("The password and its confirmation differ.");
    default: {
        zip_error_t error;
        zip_error_init_with_code(&error, int(result));
        const QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return text;
    }
    }
}

cZip::PackingHook& packingHook() {
    static cZip::PackingHook hook;
    return hook;
}

// One run's files and what became of them. The sources report here, and the
// run reads the first failure from here once the library has given up.
struct Packing {
    QList<Entry> entries;
    // Sources not yet read to their end.
    qsizetype pending = 0;
    qint32 result = runOk;
    QString failedFile;
    QString reason;

    void fail(qint32 code, const QString& file, const QString& why) {
        if (result != runOk) return;
        result = code;
        failedFile = file;
        reason = why;
    }
};

// Feeds one file to the library, read straight from the disk, and checks
// once it has been read that it is still what the run began with; once the
// last file has been read, every file is checked again, so that none of
// them changed while the others were packed.
class FileSource {
public:
    FileSource(Packing& run, qsizetype index) : m_run(run), m_index(index) {
        zip_error_init(&m_error);
        ++m_run.pending;
    }
    ~FileSource() {
        if (!m_ended) --m_run.pending;
        zip_error_fini(&m_error);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // The library's entry point. Nothing may unwind through the library: an
    // error here fails the run.
    static zip_int64_t callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        auto* self = static_cast<FileSource*>(state);
        try {
            return self->answer(data, length, command);
        } catch (const Vezedad::ErrorInfo& e) {
            return self->fail(ZIP_ER_INTERNAL, runFileUnreadable, e.Description());
        } catch (...) {
            return self->fail(ZIP_ER_INTERNAL, runFileUnreadable,
                              QStringLiteral("An unexpected error stopped its packing."));
        }
    }

private:
    const Entry& entry() const { return m_run.entries.at(m_index); }

    zip_int64_t answer(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_GET_FILE_ATTRIBUTES,
                                                  -1);
        case ZIP_SOURCE_OPEN: return open();
        case ZIP_SOURCE_READ: return read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE: m_file.close(); return 0;
        case ZIP_SOURCE_STAT: {
            zip_stat_t* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
            if (!st) return -1;
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            st->size = zip_uint64_t(entry().before.size);
            st->mtime = time_t(entry().before.seconds);
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
            // The file's permissions go with it, as an archiver's do.
            auto* attributes = ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, length, &m_error);
            if (!attributes) return -1;
            zip_file_attributes_init(attributes);
            attributes->valid = ZIP_FILE_ATTRIBUTES_HOST_SYSTEM | ZIP_FILE_ATTRIBUTES_EXTERNAL_FILE_ATTRIBUTES;
            attributes->host_system = ZIP_OPSYS_UNIX;
            attributes->external_file_attributes = (zip_uint32_t(entry().mode) & 0xFFFFu) << 16;
            return sizeof(zip_file_attributes_t);
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE: delete this; return 0;
        default: zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0); return -1;
        }
    }

    zip_int64_t open() {
        if (const cZip::PackingHook& hook = packingHook()) hook(entry().path);
        try {
            Vezedad::Globals::FSO().OpenForReading(m_file, entry().path, QIODevice::Unbuffered);
        } catch (const Vezedad::ErrorInfo& e) {
            return fail(ZIP_ER_OPEN, runFileUnreadable, e.Description());
        }
        m_read = 0;
        return 0;
    }

    zip_int64_t read(char* data, zip_uint64_t length) {
        if (m_ended) return 0;
        const qint64 got =
            m_file.read(data, qint64(qMin<zip_uint64_t>(length, zip_uint64_t(std::numeric_limits<qint32>::max()))));
        if (got < 0)
            return fail(ZIP_ER_READ, runFileUnreadable,
                        QStringLiteral("It could not be read (") + m_file.errorString() + QStringLiteral(")."));
        m_read += got;
        return got > 0 ? got : ended();
    }

    // The file has been read whole: it must be what the run began with, and
    // after the last file every file must still be.
    zip_int64_t ended() {
        m_ended = true;
        --m_run.pending;
        struct stat st {};
        if (::fstat(m_file.handle(), &st) != 0 || stampOf(st) != entry().before || m_read != entry().before.size)
            return fail(ZIP_ER_CHANGED, runFileChanged, changedText());
        if (m_run.pending > 0) return 0;
        for (const Entry& packed : std::as_const(m_run.entries)) {
            struct stat now {};
            if (::stat(QFile::encodeName(packed.path).constData(), &now) != 0 || stampOf(now) != packed.before)
                return fail(ZIP_ER_CHANGED, runFileChanged, changedText(), packed.path);
        }
        return 0;
    }

    zip_int64_t fail(int zipError, qint32 result, const QString& reason, const QString& file = QString()) {
        zip_error_set(&m_error, zipError, 0);
        m_run.fail(result, file.isEmpty() ? entry().path : file, reason);
        return -1;
    }

    Packing& m_run;
    qsizetype m_index;
    QFile m_file;
    qint64 m_read = 0;
    bool m_ended = false;
    zip_error_t m_error;
};

} // namespace

cZip::PackingHook cZip::setPackingHook(PackingHook hook) { return std::exchange(packingHook(), std::move(hook)); }

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
    m_failureReason.clear();
    m_failedFile.clear();
    m_lastResult = runZip();
    if (m_lastResult != runOk && m_failureReason.isEmpty()) m_failureReason = failureText(m_lastResult);
}

qint32 cZip::failed(qint32 result, const QString& file, const QString& reason) {
    m_failedFile = file;
    m_failureReason = reason;
    return result;
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

    // Every listed file must be there and readable before anything is
    // written: an archive that silently lacks one of them must never come out
    // of a run. What each file is now is what its entry must hold.
    Packing packing;
    const auto take = [&](const QString& path) {
        if (const QString why = whyUnreadable(path); !why.isEmpty()) return failed(runNotAFile, path, why);
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
            const int error = errno;
            return failed(runNotAFile, path,
                          QStringLiteral("It cannot be reached (") + QString::fromLocal8Bit(std::strerror(error)) +
                              QStringLiteral(")."));
        }
        packing.entries.append({path, entryName(path), stampOf(st), st.st_mode});
        return qint32(runOk);
    };
    for (const QString& fileSpec : std::as_const(m_specs)) {
        const QString path = baseDir.absoluteFilePath(fileSpec);
        const QFileInfo info(path);
        if (info.isDir() && m_recurseSubDirs) {
            QDir::Filters filters = QDir::Files;
            if (m_includeHidden) filters |= QDir::Hidden | QDir::System;
            QDirIterator it(path, filters, QDirIterator::Subdirectories);
            while (it.hasNext())
                if (const qint32 result = take(it.next()); result != runOk) return result;
        } else if (const qint32 result = take(path); result != runOk) {
            return result;
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

    for (qsizetype i = 0; i < packing.entries.size(); ++i) {
        const Entry& entry = packing.entries.at(i);
        bool cancel = false;
        Q_EMIT Cancel(entry.name, cancel);
        if (cancel) return runCancelled;
        // Level 1 is the quiet one: no message per file.
        if (m_messageLevel != 1) Q_EMIT Progress(1, ReplaceSlashes(QStringLiteral("  adding: ") + entry.name));

        auto* file = new FileSource(packing, i);
        zip_source_t* source = zip_source_function(archive.get(), &FileSource::callback, file);
        if (!source) {
            delete file;
            return archive.lastError();
        }
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
    // The files are read while the archive is written; a file that failed
    // there is named, before the library's own words for it.
    const qint32 result = archive.close();
    if (packing.result != runOk) return failed(packing.result, packing.failedFile, packing.reason);
    if (result != runOk) return failed(result, QString(), archive.closeErrorText());
    return result;
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
