// The program's side of one conversion worker: a tarvel-worker process that
// decodes, resizes and encodes pictures for it (worker_protocol.h). The worker
// is started when first needed and replaced when it dies; whatever a picture
// does to it (a crash, a hang, a memory bomb) costs that picture only.
#pragma once

#include "imaging/conversion_status.h"
#include "imaging/exact_size.h"
#include "imaging/file_size_search.h"
#include "imaging/picture_formats.h"
#include "imaging/picture_size.h"
#include "client/worker_budget.h"
#include "platform/colour.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include <sys/types.h>

namespace imaging {

struct WorkerSettings {
    // The worker executable; empty for the one beside this program.
    QString executable;
    int threadsPerPicture = 1;
    WorkerBudget budget;
    // Where each picture's memory budget is taken from; none for the share of
    // this process (MemoryShare::processShare()).
    MemoryShare *memoryShare = nullptr;
    // Called with the worker's process id once a picture has been handed to
    // it, on the calling thread.
    std::function<void(pid_t)> pictureSent;
    // A kill switch: once set, a worker busy with a picture is killed at once
    // and the picture ends as Stopped, with nothing written.
    const std::atomic<bool> *abandon = nullptr;
};

// Where the worker executable is: beside the running program, or in the
// libexec folder of an installed layout.
QString workerExecutable();

// One picture for the worker: the output's exact size (as shown, after the
// orientation is applied) and format.
struct WorkerTask {
    int width = 0;
    int height = 0;
    OutputFormat format = OutputFormat::Png;
    platform::ColourValue background = 0;
    bool tgaName = false;            // the source's name ends in ".tga"
    int orientation = 1;             // the EXIF orientation to apply (1 to 8)
    std::int64_t declaredPixels = 0; // as the header says; sets the budgets
    std::uint64_t sourceBytes = 0;   // the file's length, which the worker maps
    int quality = kOwnQuality;
    // Further sizes made from the same decode (convertAll), at most
    // worker::kMostSizes - 1.
    std::vector<PictureSize> moreSizes = {};
    // Of each size, the first and then the more, how an exact size is made
    // (an empty canvas: a plain one); none at all: every size is plain.
    std::vector<ExactGeometry> exact = {};
    platform::ColourValue padColour = 0;
    int dpi = 0; // the resolution tag, 0 for none
    ByteRange fileSize = {}; // the bytes each output must come to
};

class ConversionWorker {
public:
    explicit ConversionWorker(WorkerSettings settings = {});
    ~ConversionWorker();
    ConversionWorker(const ConversionWorker &) = delete;
    ConversionWorker &operator=(const ConversionWorker &) = delete;

    // Converts the open regular file `source` (the descriptor stays the
    // caller's) in the worker, starting one first when there is none: the
    // bytes of the output file, or why there are none (the decoder's message,
    // or what became of the worker). The worker gets the picture's memory
    // budget as its address-space limit first. Its bytes are returned only
    // when they are a file of the format and the exact size the task asks for
    // (output_check.h); other bytes fail the picture as InvalidReply and the
    // worker is ended, so a worker taken over by one picture forges nothing
    // for the next.
    Result<QByteArray> convert(int source, const WorkerTask &task);

    // The same for the task's size and each of its moreSizes, from one
    // decode in the worker where the sizes allow it: one result per size, in
    // their order, each output checked as convert() checks its one.
    std::vector<Result<QByteArray>> convertAll(int source, const WorkerTask &task);

    // Ends the worker, if one runs; the next picture starts another.
    void shutDown() { end(false); }

    // The Landlock ABI of the last worker started, 0 when it had none.
    int landlockAbi() const { return m_landlockAbi; }
    // Peak resident memory of the worker processes this object has ended,
    // summed, in KiB.
    long endedWorkersPeakKb() const { return m_endedPeakKb; }

private:
    bool start(QString &problem);
    // Closes the channel, waits for the worker to end and says what ended
    // it. `kill` kills it at once; one that does not end in time is killed.
    struct Ending {
        int signal = 0;      // the signal that ended it, if one did
        int exitStatus = -1; // its exit status, if it exited
        QString detail;
    };
    Ending end(bool kill);
    // Waits for the template to say that the picture's process has gone and
    // how; ends the worker when it does not say so in time.
    Ending pictureEnding();
    bool workerHasGone() const;
    bool abandoned() const { return m_settings.abandon && m_settings.abandon->load(); }

    WorkerSettings m_settings;
    // The worker that converts, as this process sees it (its credentials on
    // the Hello tell it), and the process started for it, its guard, which
    // is waited for and killed (worker_guard.h).
    pid_t m_pid = -1;
    pid_t m_guardPid = -1;
    int m_channel = -1;
    // The read end of the worker's standard error, a pipe the worker cannot
    // block on; what it holds joins the detail of a worker that ended.
    int m_errors = -1;
    int m_landlockAbi = 0;
    long m_endedPeakKb = 0;
    // The most address space the running worker may be given: the budget's,
    // or less when the program itself has less.
    std::uint64_t m_addressCeiling = 0;
};

} // namespace imaging
