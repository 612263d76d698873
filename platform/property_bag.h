// Stored properties of a control, as a form keeps them with its design: read by
// name with a default, written by name with a default. A value equal to its
// default is not stored, so a bag holds only what differs from the defaults.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

namespace platform {

class PropertyBag {
public:
    // The stored value, or `defaultValue` when none is stored.
    QVariant read(const QString &name, const QVariant &defaultValue = {}) const;
    // Stores the value, or removes the name when the value equals the default.
    void write(const QString &name, const QVariant &value, const QVariant &defaultValue = {});

    bool contains(const QString &name) const;
    // Stored names in the order they were first written.
    QStringList names() const;
    bool isEmpty() const { return m_values.empty(); }

private:
    std::vector<std::pair<QString, QVariant>> m_values;
};

} // namespace platform
