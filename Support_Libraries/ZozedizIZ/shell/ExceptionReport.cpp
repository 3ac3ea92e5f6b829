#include "ZozedizIZ/shell/ExceptionReport.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QThread>
#include <QThreadPool>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ZozedizIZ::ExceptionReport {

namespace {

// Appends text in Windows-1252, raising the foundation's error naming a
// character the code page cannot hold.
void appendEncoded(QByteArray& out, const QString& text, const QString& source) {
    Vezedad::Cp1252::appendOrRaise(text, out, source);
}

// The report file, written as it grows and put in place by commit.
using Writer = Vezedad::FileWriter;

// The texts of a run of records, each followed by an empty line, or the
// error that stopped them.
struct Chunk {
    QByteArray bytes;
    std::optional<Vezedad::ErrorInfo> error;
};

using Batch = std::vector<Vezedad::RecordValidationResultPtr>;

// A file of a million records with findings spends most of its report on
// the records' texts. Each record is fetched on the run's thread (a record
// kept compact is read back from the validated file); batches of them are
// turned into text on the thread pool (a record's text is made from its own
// data and the validator's constant tables alone); one more thread writes
// the batches in their order. Only a few batches are under way at a time,
// so memory stays small.
class RecordTexts {
public:
    RecordTexts(Writer& writer, const QString& source)
        : m_writer(writer), m_source(source), m_limit(size_t(2 * qMax(1, QThread::idealThreadCount()))),
          m_thread([this] { writeInOrder(); }) {}
    ~RecordTexts() { stop(); }
    RecordTexts(const RecordTexts&) = delete;
    RecordTexts& operator=(const RecordTexts&) = delete;

    void add(Vezedad::RecordValidationResultPtr record) {
        m_batch.push_back(std::move(record));
        if (m_batch.size() >= kBatchSize) submit();
    }
    // Waits until every text is written; raises the first failure.
    void finish() {
        if (!m_batch.empty()) submit();
        stop();
        if (m_error) throw *m_error;
    }

private:
    static constexpr size_t kBatchSize = 512;

    void submit() {
        auto task =
            std::make_shared<std::packaged_task<Chunk()>>([batch = std::move(m_batch), source = m_source]() mutable {
                Chunk chunk;
                try {
                    for (const Vezedad::RecordValidationResultPtr& record : batch) {
                        appendEncoded(chunk.bytes, record->ToString(), source);
                        chunk.bytes += "\r\n";
                    }
                } catch (...) {
                    chunk.error = Vezedad::ErrorInfo::fromCurrentException();
                }
                batch.clear();
                return chunk;
            });
        m_batch = Batch();
        std::future<Chunk> text = task->get_future();
        QThreadPool::globalInstance()->start([task] { (*task)(); });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < m_limit || m_error; });
        if (m_error) throw *m_error;
        m_queue.push_back(std::move(text));
        m_changed.notify_all();
    }

    void writeInOrder() {
        for (;;) {
            std::future<Chunk> next;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_queue.empty() || m_done; });
                if (m_queue.empty()) return;
                next = std::move(m_queue.front());
                m_queue.pop_front();
                m_changed.notify_all();
            }
            Chunk chunk = next.get();
            try {
                if (chunk.error) throw *chunk.error;
                m_writer.writeBytes(chunk.bytes);
            } catch (...) {
                std::lock_guard lock(m_mutex);
                m_error = Vezedad::ErrorInfo::fromCurrentException();
                m_queue.clear();
                m_done = true;
                m_changed.notify_all();
                return;
            }
        }
    }

    void stop() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
            m_changed.notify_all();
        }
        if (m_thread.joinable()) m_thread.join();
    }

    Writer& m_writer;
    QString m_source;
    size_t m_limit;
    Batch m_batch;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::future<Chunk>> m_queue;
    std::optional<Vezedad::ErrorInfo> m_error;
    bool m_done = false;
    std::thread m_thread;
};

// A record as the per-record part shows it: without the user's Stop, which
// the terminal section names; a record left with nothing is not shown.
Vezedad::RecordValidationResultPtr shown(const Vezedad::RecordValidationResultPtr& record) {
    if (!record->Exists(Vezedad::zrfCancel)) return record;
    auto rest = std::make_shared<Vezedad::RecordValidationResult>(*record);
    rest->Remove(Vezedad::zrfCancel);
    return rest->Count() ? rest : nullptr;
}

} // namespace

void Write(const QString& reportPath, const QString& validatedPath, const Vezedad::FileValidationResult& result,
           const QString& source) {
    Writer report(reportPath, source);
    report.writeLine(QStringLiteral("File Validation Report for ") + validatedPath);
    report.writeLine(QStringLiteral("Date: ") +
                     QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    report.writeLine();
    if (result.Severity() == Vezedad::kvesTerminal) {
        report.write(QStringLiteral("File validation terminated"));
        if (const Vezedad::ValidationResultPtr terminal = result.Terminal()) {
            bool numeric = false;
            const qint32 record = terminal->Value().toInt(&numeric);
            if (terminal->Code() == Vezedad::valcTerminalError && numeric) {
                report.writeLine(QStringLiteral(" at record ") + terminal->Value());
                if (result.Exists(record))
                    if (const Vezedad::ValidationResultPtr own = result.Item(record)->Terminal())
                        report.writeLine(own->ToString());
            } else {
                report.writeLine();
                report.writeLine(terminal->ToString());
            }
        }
        report.writeLine();
    }
    report.writeLine(QString::number(result.RecordCount()) + QStringLiteral(" records have been checked."));
    report.writeLine(QString::number(result.ErrorCount()) + QStringLiteral(" records have validation errors."));
    report.writeLine();
    RecordTexts records(report, source);
    for (const qint32 key : result.Keys())
        if (Vezedad::RecordValidationResultPtr record = shown(result.Item(key))) records.add(std::move(record));
    records.finish();
    report.commit();
}

} // namespace ZozedizIZ::ExceptionReport
