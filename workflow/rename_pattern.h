// A rename pattern for a batch's outputs: "{name}_{w}x{h}", "photo_{n:3}".
// Parsed once, when it is typed or given; expanded per picture into the name
// before the extension, which the output format (or the picture's own) adds.
// A pattern that could not name every picture of a run apart is refused before
// the run starts.
#pragma once

#include "imaging/picture_size.h"
#include "workflow/conversion_settings.h"
#include "workflow/output_names.h"

#include <QString>

#include <vector>

namespace workflow {

// One piece of a pattern: text as written, or a field.
struct PatternPart {
    enum class Kind { Text, Name, Width, Height, Number, Extension };
    Kind kind = Kind::Text;
    QString text; // Text's
    int digits = 0; // Number's zero-padded width ({n:3}), 0: as it is

    friend bool operator==(const PatternPart &, const PatternPart &) = default;
};

// The fields: {name} the source's name without its extension, {w} and {h} the
// output's size, {n} the picture's number in the run from 1 ({n:3}: 001), {ext}
// the source's extension as written. "{{" and "}}" stand for braces.
class RenamePattern {
public:
    // The pattern, or why it is refused: empty, an unknown field, a brace left
    // open or unmatched, a "/" (a name, not a path), or a digit count of
    // {n:…} outside 1 to 9.
    static Parsed<RenamePattern> parse(const QString &pattern);

    // The name before the extension for a picture (`source`: its name or
    // relative path; the folders are not part of the name).
    QString expand(const QString &source, imaging::PictureSize size, int number) const;

    const std::vector<PatternPart> &parts() const { return m_parts; }

    friend bool operator==(const RenamePattern &, const RenamePattern &) = default;

private:
    std::vector<PatternPart> m_parts;
};

// A picture of the run: its name (or path relative to the source folder) and
// the size it is converted to.
struct RenamedSource {
    QString name;
    imaging::PictureSize size;
};

struct RenamedRun {
    std::vector<OutputName> names; // in the sources' order; empty when refused
    QString problem;               // why the pattern is refused for this run
};

// Every picture's output name for `format` (an extension; empty: each keeps its
// own). The pictures are numbered in the order of their names, so the same
// pictures get the same names however they were listed. Each name is the
// picture's folder, the expanded pattern and the extension. Pictures the
// pattern names apart only by their own extensions (a.jpg and a.png as
// "{name}") are told apart, once converted to one format, by the rules of
// workflow/output_names, which alone mark a name as renamed. Refused: a picture whose name comes out empty, hidden (a
// leading "."), longer than a file system takes (255 bytes), or the same as
// another picture's in full, extension of the source included.
RenamedRun renamedOutputNames(const RenamePattern &pattern, const std::vector<RenamedSource> &sources,
                              const QString &format);

} // namespace workflow
