#include "platform/property_bag.h"

#include <algorithm>

namespace platform {

QVariant PropertyBag::read(const QString &name, const QVariant &defaultValue) const
{
    const auto it = std::find_if(m_values.begin(), m_values.end(), [&](const auto &p) { return p.first == name; });
    return it == m_values.end() ? defaultValue : it->second;
}

void PropertyBag::write(const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    const auto it = std::find_if(m_values.begin(), m_values.end(), [&](const auto &p) { return p.first == name; });
    if (value == defaultValue) {
        if (it != m_values.end())
            m_values.erase(it);
        return;
    }
    if (it != m_values.end())
        it->second = value;
    else
        m_values.emplace_back(name, value);
}

bool PropertyBag::contains(const QString &name) const
{
    return std::any_of(m_values.begin(), m_values.end(), [&](const auto &p) { return p.first == name; });
}

QStringList PropertyBag::names() const
{
    QStringList out;
    for (const auto &p : m_values)
        out << p.first;
    return out;
}

} // namespace platform
