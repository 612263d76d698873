#include "workflow/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace workflow {

InterfaceLanguage::InterfaceLanguage(const QLocale &locale) : m_chinese(locale.language() == QLocale::Chinese)
{
    if (!m_chinese) {
        // Qt's own texts are English already.
        if (m_program.load(QStringLiteral(":/i18n/tarvel_en.qm")))
            QCoreApplication::installTranslator(&m_program);
        return;
    }
    // Simplified or Traditional, as the locale says, for Qt's dialogs.
    if (m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qt);
}

InterfaceLanguage::~InterfaceLanguage()
{
    QCoreApplication::removeTranslator(&m_program);
    QCoreApplication::removeTranslator(&m_qt);
}

} // namespace workflow
