#pragma once

#include <QStringList>
#include <QWidget>

// Asks for AVI files with the platform's multi-select open dialog and answers the list entries to
// append, in the dialog's order; none when the user cancelled. One chosen file is taken as the
// dialog returns it; several are each joined from the folder and the name through NormalizePath.
QStringList ChooseFilesToAdd(QWidget* parent);
