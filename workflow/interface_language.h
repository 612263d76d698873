// The interface speaks the system's language: Chinese locales get the
// program's own Chinese, every other locale English; Qt's own dialogs and
// boxes follow. The texts are written in Chinese; English comes from a
// translation built with the program.
#pragma once

#include <QLocale>
#include <QTranslator>

namespace workflow {

class InterfaceLanguage {
public:
    // Installs the translations `locale` calls for, until destroyed.
    explicit InterfaceLanguage(const QLocale &locale);
    ~InterfaceLanguage();
    InterfaceLanguage(const InterfaceLanguage &) = delete;
    InterfaceLanguage &operator=(const InterfaceLanguage &) = delete;

    bool isChinese() const { return m_chinese; }

private:
    QTranslator m_program;
    QTranslator m_qt;
    bool m_chinese = false;
};

} // namespace workflow
