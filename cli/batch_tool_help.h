// tarvel-batch's own words about itself: --help, --version and the manual page,
// made from the one table of options (batch_tool_options.h) and the texts
// below it, so that the three never disagree.
#pragma once

#include <QString>

namespace cli {

// The help text of --help, plain text for a terminal.
QString batchToolHelp();

// The same content as a manual page in roff (man(7)), for tarvel-batch.1.
QString batchToolManPage();

// "tarvel-batch 1.0": the program and the project's version.
QString batchToolVersion();

} // namespace cli
