#pragma once

#include <QString>
#include <QWidget>

// The design look: white backgrounds for the window and everything that shows through to it.
void ApplyDesignLook(QWidget& window);

// Skins the program with the style sheet in the file at `skinPath`: the window's background
// becomes the system's button face and the sheet applies to every widget of the program.
// Throws Failure when the file cannot be read.
void ApplySkin(QWidget& window, const QString& skinPath);
