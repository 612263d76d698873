// tarvel-batch's command line: the one table of its options, from which the
// parser, --help and the manual page are all made.
#pragma once

#include "imaging/picture_formats.h"
#include "workflow/conversion_settings.h"
#include "workflow/source_selection.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cli {

struct BatchToolOption {
    const char *name;        // the long name: "width" for --width
    char shortName;          // 'w' for -w, or 0
    const char *valueName;   // "W", or nullptr for a switch
    const char *description; // source text for BatchText::tr(); "%1" stands for the batch's formats
    bool hidden = false;     // left out of --help and the manual
};

// Every option, in the order --help lists them.
std::span<const BatchToolOption> batchToolOptions();

// The formats --format takes, as the help lists them: "bmp、gif、jpg…".
QString formatList();
// An option's description in the interface's language, the formats filled in.
QString optionDescription(const BatchToolOption &option);

// The most --size options a run takes: the sizes of one worker request.
inline constexpr std::size_t kMostOutputSizes = 16;

// One --size: a box, and the sub-folder of the output folder it fills.
struct OutputSize {
    int width = 0;
    int height = 0;
    QString folder; // relative, without "." or ".." parts
};

struct BatchToolOptions {
    // The size is given one way only: a box (--width, --height, each
    // defaulting to the window's remembered limit), the long edge, a scale,
    // or several boxes each into a folder of its own.
    std::optional<int> width;
    std::optional<int> height;
    std::optional<int> longEdge;
    std::optional<std::int64_t> scale; // in millionths, imaging::kWholeScale is 100 %
    std::vector<OutputSize> sizes;
    bool enlarge = false;
    bool recursive = false;
    bool dryRun = false;
    bool json = false;
    bool skipExisting = false;
    int quality = imaging::kOwnQuality;
    QString format; // the extension every picture is converted to; empty: each keeps its own
    int jobs = 0;   // 0: one per processor
    bool stats = false;
    bool verbose = false; // failures with the library's own message
    bool overwriteOriginals = false;
    // What outputs keep of their sources (imaging::KeepFromSource).
    bool keepDates = false;
    bool keepMetadata = false;
    bool keepLocation = false;
    bool noLarger = false;
    // An exact size instead of a box to fit into (--fit), where a fill
    // crops and a pad places the picture (--anchor), the colour of pad
    // borders and of transparency flattened (--background), the file-size
    // range, the DPI tag.
    workflow::SizeMode fit = workflow::SizeMode::FitInside;
    imaging::Anchor anchor = imaging::Anchor::Centre;
    std::optional<workflow::Rgb> background;
    std::optional<workflow::FileSize> maxSize;
    std::optional<workflow::FileSize> minSize;
    std::optional<int> dpi;
    // The preset whose settings stand in for the options not given
    // (--preset), and the options given, by their long names.
    QString preset;
    bool listPresets = false;
    QStringList given;
    // The pictures this run takes: those a list names ("-": standard input,
    // NUL-separated with -0), and of them (or of the folder's) one shard.
    std::optional<QString> filesFrom;
    bool nulSeparated = false;
    std::optional<workflow::Shard> shard;
    bool help = false;
    bool version = false;
    bool manPage = false;
    QString sourceFolder;
    QString outputFolder;
};

// The options of a command line (without the program name), or the message
// that explains what is wrong with it.
struct ParsedArguments {
    std::optional<BatchToolOptions> options;
    QString error;
};
ParsedArguments parseBatchToolArguments(const QStringList &arguments);

} // namespace cli
