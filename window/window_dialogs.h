#pragma once

#include "common/error_trap.h"
#include "window/message_boxes.h"

#include <QString>
#include <QWidget>

#include <optional>

// The boxes a part of the window shows: modal, over the window, titled with the application title
// unless they name a title of their own; and the error trap of a handler, whose reports show over
// the window too.
class WindowDialogs {
public:
    // The choice a run's message about a file it cannot convert offers when more files follow.
    static constexpr const char* kHideFileMessages = "Don't show messages about other files that cannot be converted in this run";

    // The title is read each time a box shows, since start-up sets it after the parts are made.
    WindowDialogs(QWidget& window, const QString& applicationTitle);

    ErrorTrap MakeTrap(const char* location) const;
    void ShowErrorReport(const QString& message) const;
    void ShowMessage(const QString& text) const;
    bool AskYesNo(const QString& question, DefaultAnswer preset = DefaultAnswer::Yes) const;
    // A run's message about a file it cannot convert; with `othersMayFollow`, the box offers to show no
    // more such messages in this run, and answers true when the user chose so.
    bool ShowFileMessage(const QString& text, bool othersMayFollow) const;
    // An input box; none when the user cancelled.
    std::optional<QString> AskText(const QString& prompt, const QString& defaultText, const QString& title = {}) const;
    // The folder picker (BrowseForFolder): the chosen folder, or "" when the user cancelled.
    QString PickFolder(const QString& prompt, const QString& startFolder) const;

private:
    QWidget& window_;
    const QString& applicationTitle_;
};
