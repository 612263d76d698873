// The emblem in the window's corner, pressed like a button: it opens the
// conversion settings. It looks exactly as the emblem always did (a focus
// frame only while it has the focus), so the window's look is unchanged for
// whoever never uses it.
#pragma once

#include <QLabel>

namespace window {

class EmblemButton : public QLabel {
    Q_OBJECT

public:
    explicit EmblemButton(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace window
