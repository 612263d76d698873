// What tarvel-batch says about each file and about the whole run, as lines for
// a person and as JSON for a program (one object a line).
#pragma once

#include "imaging/picture_size.h"
#include "workflow/parallel_conversion.h"
#include "workflow/source_tree.h"
#include "workflow/target_sizes.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

namespace cli {

struct FileReport {
    enum Outcome { WouldConvert, Converted, Failed, Skipped, NotStarted, Stopped };
    QString path; // relative to the source folder
    Outcome outcome = Skipped;
    workflow::SkipReason skip = workflow::SkipReason::None;
    std::optional<imaging::PictureSize> size;         // as its header states it, when read
    std::optional<workflow::TargetSize> target;       // what it gets, or would get
    std::optional<workflow::ConversionResult> result; // why it failed
    // The name it is written under, relative to the output folder, when that
    // is not its own (--format); `renamed` when it clashed with another's.
    QString output = {};
    bool renamed = false;
    // With --size, each size's folder and what it gets, in the options'
    // order (`target` is the first's); each one's result is in result->sizes.
    struct Size {
        QString folder;
        std::optional<workflow::TargetSize> target;
    };
    std::vector<Size> sizes = {};
};

// The outcome of a picture the run handed to the workers: converted, failed,
// stopped under way, or (no result) never started.
FileReport::Outcome outcomeOf(const std::optional<workflow::ConversionResult> &result);

// Why an entry is left alone, in the interface's words.
QString skipReasonText(workflow::SkipReason reason);

// A dry run's line: "a/b.jpg  1600×1200 → 425×319" (with --size
// "→ 1920×1440 large, 320×240 thumbs"), or the size and "跳过（reason）";
// the output's name after it when it is another.
QString dryRunLine(const FileReport &report);

// The file as one line of JSON: {"type":"file","path":…,"status":…,…}; with
// --size also "sizes":[{"folder":…,"target_width":…,"target_height":…,
// "status":…},…], target_width and target_height staying the first size's.
QString fileJson(const FileReport &report);

struct RunTotals {
    bool dryRun = false;
    int files = 0;
    int converted = 0; // or, in a dry run, would be converted
    int failed = 0;
    int skipped = 0;
    int skippedExisting = 0; // of the skipped, those whose output was there
    int missing = 0;         // of the skipped, names of a list with nothing there
    int keptOriginal = 0;    // of the converted, those that kept the source's bytes
    int notStarted = 0;
    int stopped = 0;
    int renamed = 0;          // converted (or to be) under another name than the format gives
    bool interrupted = false; // by a signal, whether or not pictures were left

    void count(const FileReport &report);
};

// The run's last line for a person: "转换完成：成功 3 个，失败 0 个。" and its
// kin for a dry run, skipped outputs and interruptions.
QString totalsLine(const RunTotals &totals, bool skipExisting);

// "  写为 a.png.jpg（避免重名）" after a picture's line, or nothing when it
// keeps its own name.
QString outputNote(const FileReport &report);

// The pictures written under other names to keep clashing names apart, one
// "  a.png → a.png.jpg" line each after a heading; nothing when there are none.
QString renamedLines(const std::vector<FileReport> &reports);

// The run as one line of JSON, {"type":"summary",…}, with `extra` (the
// limits, timings) merged in.
QString summaryJson(const RunTotals &totals, const QJsonObject &extra);

} // namespace cli
