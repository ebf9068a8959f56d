#pragma once

#include "support/media_tools.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline const QString kCli = QStringLiteral(STILLPRESS_CLI);

// stillpress-cli run as a script runs it: a folder of videos made by ffmpeg and an empty output folder.
class CliTest : public ::testing::Test {
protected:
    // A video of `frames` frames under `name` (folders made as needed). The "file:" prefix lets ffmpeg
    // write names that would otherwise read as a protocol.
    QString Video(const QString& name, int frames, const QString& size = QStringLiteral("80x60"))
    {
        const QString path = inputs.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        MakeVideo("file:" + path, {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1:rate=25").arg(size), "-frames:v",
                                      QString::number(frames), "-c:v", "mpeg4"});
        return path;
    }
    ToolResult Cli(const QStringList& arguments, const ToolSetting& setting = {}) const { return RunTool(kCli, arguments, setting); }
    QStringList Written() const { return QDir(output.path()).entryList(QDir::Files, QDir::Name); }
    // How many images each stem has in the output folder: "clip_7.bmp" counts for "clip".
    QMap<QString, int> FramesPerStem() const
    {
        QMap<QString, int> frames;
        for (const QString& name : Written())
            ++frames[name.left(name.lastIndexOf(QLatin1Char('_')))];
        return frames;
    }

    QTemporaryDir inputs;
    QTemporaryDir output;
};
