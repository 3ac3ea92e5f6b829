#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QFileInfoList>
#include <QIODeviceBase>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class QFile;

namespace Vezedad {

namespace ReportFile {
enum class Encoding; // ReportFile.h
}

enum IOMode { ForReading = 1, ForWriting = 2, ForAppending = 8 };

// A single-byte text stream. Reading accepts CR LF, LF and a lone CR as line
// ends, drops the byte-order marks before line 1 and reads a file in UTF-8
// as such (see ReportFile's lines and encodings); writing ends every line with
// CR LF and writes Windows-1252, also what is appended to a file in UTF-8. A stream opened for writing
// replaces its file atomically when it is closed: a writer that fails half way
// leaves the old file as it was.
class VEZEDAD_EXPORT TextStream {
public:
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    bool AtEndOfStream() const;
    QString ReadLine();
    QString ReadAll();
    void Write(const QString& text);
    void WriteLine(const QString& text = QString());
    // Commits what was written; raises when the file cannot be replaced.
    void Close();

private:
    friend class FileSystemObject;
    TextStream() = default;
    QString m_path;
    QByteArray m_data; // the whole file when reading, what is written when writing
    qsizetype m_pos = 0;
    ReportFile::Encoding m_encoding{};
    bool m_writing = false;
    bool m_closed = false;
};

// A name in a folder as the disk holds it, and what it leads to, links
// followed.
struct VEZEDAD_EXPORT FolderEntry {
    enum Kind {
        File,       // a regular file
        Folder,     // a folder
        Other,      // a pipe, socket or device
        Missing,    // a link to nothing
        Unreachable // what it leads to cannot be looked at (a loop of links, a folder that refuses)
    };
    // The name. A name whose bytes are not all UTF-8 shows each byte that is
    // not as \xHH (and a backslash as \\); such a name leads nowhere as a
    // path, so decodes is false.
    QString name;
    bool decodes = true;
    Kind kind = File;
    qint64 size = 0;
    // For Unreachable, the system's reason.
    QString error;
};

// The file-system services the system uses: existence tests, path pieces,
// folders, file lists and single-byte text streams.
//
// Its failures carry the runtime's numbers and say what happened: 53 "File
// not found", 58 "File already exists", 70 "Permission denied", 75
// "Path/File access error" (a folder, FIFO or device where a file belongs, a
// failed read or write), 76 "Path not found" (a missing folder), each
// followed by the path; reading text, 321 "Invalid file format" for a file in
// UTF-16 (ReportFile::refuseUtf16).
class VEZEDAD_EXPORT FileSystemObject {
public:
    bool FileExists(const QString& path) const;
    bool FolderExists(const QString& path) const;
    QString BuildPath(const QString& path, const QString& name) const;
    QString GetParentFolderName(const QString& path) const;
    QString GetFileName(const QString& path) const;
    QString GetBaseName(const QString& path) const;
    QString GetExtensionName(const QString& path) const;
    QString GetAbsolutePathName(const QString& path) const;
    qint64 GetFileSize(const QString& path) const;
    // Creates one folder whose parent exists; raises when it cannot, 58 when
    // something of that name exists already.
    void CreateFolder(const QString& path) const;
    void DeleteFile(const QString& path) const;
    // The regular files of a folder, sorted by name ignoring letter case.
    QFileInfoList Files(const QString& folder) const;
    // Every name of a folder but "." and "..", whatever it leads to, sorted
    // as Files sorts them: also the names Files cannot hold (a name that is
    // not UTF-8) and what cannot be read. 76 when the folder is not there.
    QList<FolderEntry> Entries(const QString& folder) const;

    std::unique_ptr<TextStream> OpenTextFile(const QString& path, IOMode mode = ForReading, bool create = false) const;
    std::unique_ptr<TextStream> CreateTextFile(const QString& path, bool overwrite = true) const;

    // Whole-file helpers for the small files of the system.
    QString ReadAllText(const QString& path) const;

    // The first line of a text file that holds text (empty lines and lines
    // of blanks before it are passed over), read on its own: nothing when no
    // line does; raises 75 when that line is longer than maxLength
    // characters, or no such line starts within them.
    std::optional<QString> ReadFirstTextLine(const QString& path, qsizetype maxLength) const;

    // Opens file on path for reading when path names a regular file (or a
    // link to one). Anything else raises at once, without waiting on it: 53
    // when nothing is there, 75 for a folder, a FIFO, a device or a socket,
    // 70 when reading is refused. mode may add flags such as Unbuffered.
    void OpenForReading(QFile& file, const QString& path, QIODeviceBase::OpenMode mode = QIODeviceBase::ReadOnly) const;
};

} // namespace Vezedad
