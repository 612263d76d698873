// The program's notices: the information box, the one that closes itself, and
// a yes/no question. Workflows talk to this interface so tests can record the
// notices instead of showing them.
#pragma once

#include <QString>

#include <chrono>

class QWidget;

namespace platform {

class Notifier {
public:
    virtual ~Notifier() = default;
    // Modal box titled "提示" with the information icon and an OK button.
    virtual void information(const QString &text) = 0;
    // The same box, closing itself after `timeout` unless the user closes it first.
    virtual void selfClosingInformation(const QString &text, std::chrono::milliseconds timeout) = 0;
    // Modal question titled "提示" with Yes and No; true for Yes.
    virtual bool question(const QString &text) = 0;
};

// Notices shown with Qt message boxes over an owner window.
class QtNotifier final : public Notifier {
public:
    explicit QtNotifier(QWidget *owner = nullptr) : m_owner(owner) { }
    void setOwner(QWidget *owner) { m_owner = owner; }
    void information(const QString &text) override;
    void selfClosingInformation(const QString &text, std::chrono::milliseconds timeout) override;
    bool question(const QString &text) override;

private:
    QWidget *m_owner;
};

inline constexpr std::chrono::milliseconds kSelfClosingTimeout{1500};

} // namespace platform
