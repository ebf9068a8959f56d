#pragma once

#include <QString>
#include <QWidget>

// Shows a folder picker owned by `owner`, with `prompt` as its title, opened at `startFolder` (an
// empty or missing folder leaves the picker's own starting place). Answers the chosen folder's
// full path without a trailing separator (a root keeps its own), or "" when the user cancelled.
QString BrowseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder);
