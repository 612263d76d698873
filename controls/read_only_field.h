// What screen readers learn of a read-only line edit (the window's path
// fields): a text whose words can be read and selected, never "editable".
// Qt's own interface for line edits offers editing even to read-only ones.
#pragma once

class QLineEdit;

namespace controls {

// Gives `field` the read-only interface; before anything asked for its interface.
void readOnlyForReaders(QLineEdit *field);

} // namespace controls
