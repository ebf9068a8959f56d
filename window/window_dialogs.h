#pragma once

#include "common/error_trap.h"

#include <QString>
#include <QWidget>

#include <optional>

// The boxes a part of the window shows: modal, over the window, titled with the application title
// unless they name a title of their own; and the error trap of a handler, whose reports show over
// the window too.
class WindowDialogs {
public:
    // The title is read each time a box shows, since start-up sets it after the parts are made.
    WindowDialogs(QWidget& window, const QString& applicationTitle);

    ErrorTrap MakeTrap(const char* location) const;
    void ShowErrorReport(const QString& message) const;
    void ShowMessage(const QString& text) const;
    bool AskYesNo(const QString& question) const;
    // An input box; none when the user cancelled.
    std::optional<QString> AskText(const QString& prompt, const QString& defaultText, const QString& title = {}) const;
    // The folder picker (BrowseForFolder): the chosen folder, or "" when the user cancelled.
    QString PickFolder(const QString& prompt, const QString& startFolder) const;

private:
    QWidget& window_;
    const QString& applicationTitle_;
};
