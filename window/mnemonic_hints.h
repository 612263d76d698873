// Alt and a letter push a button of the window, as on classic desktops. The
// letters show only while Alt is held, so the captions otherwise look as
// they always did: a Latin caption underlines its letter, a Chinese one
// gets "(S)" after it.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAbstractButton;
class QWidget;

namespace window {

// The caption with `letter` marked for Alt: "&Single picture", "单张转换(&S)".
QString withMnemonic(const QString &caption, QChar letter);

// Alt+`letter` as a key sequence.
int altKey(QChar letter);

class MnemonicHints : public QObject {
public:
    // Watches Alt in `window`.
    explicit MnemonicHints(QWidget *window);

    // A radio button or check box: Alt+`letter` pushes it, shown or not.
    void add(QAbstractButton *button, QChar letter);
    // Anything else showing `caption`: `show` puts up the text it is given,
    // the caption with its letter marked or the plain caption.
    void add(const QString &caption, QChar letter, std::function<void(const QString &)> show);

    bool shown() const { return m_shown; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setShown(bool shown);

    struct Entry {
        QString caption;
        QChar letter;
        std::function<void(const QString &)> show;
    };
    QWidget *m_window;
    std::vector<Entry> m_entries;
    bool m_shown = false;
};

} // namespace window
