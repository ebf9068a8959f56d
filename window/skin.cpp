#include "window/skin.h"

#include "common/failure.h"

#include <QApplication>
#include <QFile>
#include <QPalette>

void ApplyDesignLook(QWidget& window)
{
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::white);
    window.setPalette(palette);
}

void ApplySkin(QWidget& window, const QString& skinPath)
{
    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(Failure::kPathNotFound, QStringLiteral("Cannot read the skin file ") + skinPath
            + QStringLiteral(": ") + file.errorString());
    const QString sheet = QString::fromUtf8(file.readAll());

    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QGuiApplication::palette().color(QPalette::Button));
    window.setPalette(palette);
    qApp->setStyleSheet(sheet);
}
