// Scripted stand-ins for the window's notices and dialogs.
#pragma once

#include "dialogs/file_dialogs.h"
#include "platform/notifier.h"

#include <QStringList>

#include <deque>
#include <ostream>
#include <vector>

struct Notice {
    enum Kind { Information, SelfClosing, Question } kind;
    QString text;
    QString details = {}; // behind the details button
    friend bool operator==(const Notice &, const Notice &) = default;
};

inline void PrintTo(const Notice &notice, std::ostream *os)
{
    *os << "{kind " << int(notice.kind) << ", \"" << notice.text.toStdString() << '"';
    if (!notice.details.isEmpty())
        *os << ", details \"" << notice.details.toStdString() << '"';
    *os << '}';
}

// A notification of the desktop: its text and the folder it offers to open.
struct DesktopNotice {
    QString text;
    QString folder;
    friend bool operator==(const DesktopNotice &, const DesktopNotice &) = default;
};

class FakeNotifier final : public platform::Notifier {
public:
    void information(const QString &text) override { notices.push_back({Notice::Information, text}); }
    void detailedInformation(const QString &text, const QString &details) override
    {
        notices.push_back({Notice::Information, text, details});
    }
    void desktopNotification(const QString &text, const QString &folder) override
    {
        desktopNotices.push_back({text, folder});
    }
    void selfClosingInformation(const QString &text, std::chrono::milliseconds timeout) override
    {
        notices.push_back({Notice::SelfClosing, text});
        lastTimeout = timeout;
    }
    bool question(const QString &text) override
    {
        notices.push_back({Notice::Question, text});
        return answer;
    }

    std::vector<Notice> notices;
    std::vector<DesktopNotice> desktopNotices;
    std::chrono::milliseconds lastTimeout{0};
    bool answer = true;
};

class FakeDialogs final : public dialogs::FileDialogs {
public:
    QString BrowseForFolder(QWidget *, const QString &prompt, const QString &initialFolder, bool newStyle) override
    {
        prompts << prompt;
        initialFolders << initialFolder;
        newStyles.push_back(newStyle);
        if (folderAnswers.empty())
            return QString();
        const QString answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    void SetDialogPlacement(dialogs::DialogPlacement p) override { placement = p; }
    bool GetOpenFileName(dialogs::OpenDialogRecord &record) override
    {
        lastRecord = record;
        ++openCalls;
        if (openAnswer.isEmpty())
            return false;
        record.fileName = openAnswer;
        return true;
    }

    std::deque<QString> folderAnswers; // empty text: cancelled
    QStringList prompts;
    QStringList initialFolders;
    std::vector<bool> newStyles;
    dialogs::DialogPlacement placement = dialogs::DialogPlacement::Platform;
    QString openAnswer; // empty: cancelled
    dialogs::OpenDialogRecord lastRecord;
    int openCalls = 0;
};
