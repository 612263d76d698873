// What a tarvel-batch run will do with every entry of its source, before
// anything is converted, and what became of each picture afterwards.
#pragma once

#include "cli/batch_report.h"
#include "cli/batch_tool_options.h"
#include "workflow/presets.h"
#include "workflow/batch_workflow.h"

#include <atomic>
#include <optional>
#include <vector>

namespace cli {

// What a run will do with every entry of the source folder, and the pictures
// it hands to the workers, in the order they start.
struct Plan {
    std::vector<FileReport> reports;           // every entry, in the walk's order
    workflow::WorkList pictures;               // relative paths and sizes
    std::vector<std::size_t> pictureReports;   // the report of each picture
    std::vector<workflow::OutputName> outputs; // the name each picture is written under
    int candidates = 0;                        // pictures found, before any was skipped
    bool overwritesSources = false;            // some picture is written under its own name
};

// Where a run writes and how it sizes: the output folder and the one box,
// or with --size each box and its folder.
std::vector<workflow::SizedOutput> outputsOf(const BatchToolOptions &options, int width, int height);

// The run's settings as the window would hold them, a box of width x height
// for the box and exact modes: what the run converts by
// (workflow::settingsBox, workflow::settingsOptions).
workflow::ConversionSettings conversionSettings(const BatchToolOptions &options, int width, int height);

// `options` with the preset's settings for every option not given on the
// command line (the switches added to those given).
BatchToolOptions withPreset(BatchToolOptions options, const workflow::ConversionSettings &preset);

// One line per preset for --list-presets: its key or name, then its settings.
QString presetList(const std::vector<workflow::Preset> &presets);

// `listed`: the names of --files-from, in place of the folder's own entries.
Plan makePlan(const BatchToolOptions &options, const std::optional<std::vector<QString>> &listed,
              const std::vector<workflow::SizedOutput> &outputs, const std::atomic<bool> *stop);

// What became of a picture handed to the workers. Its sizes are those of the
// file as it was converted, which a file replaced since it was listed changes.
void takeResult(FileReport &report, const std::optional<workflow::ConversionResult> &result);

} // namespace cli
