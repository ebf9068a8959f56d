#pragma once

#include "convert/run/conversion_host.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// A conversion host for tests: inputs set by the test, everything the run shows kept in order.
class RecordingHost : public ConversionHost {
public:
    QStringList items;
    QString outputFolder;
    QString frameChoice = QStringLiteral("Save every frame in AVI as JPG");
    OutputFormat format = OutputFormat::BMP;
    int quality = 85;
    std::optional<QString> xAnswer;
    FrameSelection selection;
    ImageNaming naming;
    PictureShape shape;
    // Called before every input read with the member's name; may throw to make that read fail.
    std::function<void(const char* member)> beforeRead;
    // The answer to a message about a file that offers to hide the others.
    bool hideFileMessages = false;

    QStringList messages;          // file messages included
    std::vector<bool> offers;      // for every file message: whether it offered to hide the others
    QStringList reports;
    QStringList reasons;           // why files could not be converted, as the run explains them
    QStringList remarks;
    QStringList prompts;           // "prompt|title|default" of every input box
    QStringList files;             // every text of the first bar
    QStringList frames;            // every text of the second bar
    double filesValue = -1;
    double framesValue = -1;
    QList<double> framesValues;    // every value of the second bar
    bool busy = false;
    int busyChanges = 0;
    int previewsShown = 0;
    std::shared_ptr<const PackedDib> firstPreview;
    bool stop = false;
    bool stopAsked = false;

    int ItemCount() override { Read("ItemCount"); return int(items.size()); }
    QString ItemText(int index) override { Read("ItemText"); return items.value(index - 1); }
    QString OutputFolder() override { Read("OutputFolder"); return outputFolder; }
    QString FrameChoice() override { Read("FrameChoice"); return frameChoice; }
    OutputFormat Format() override { Read("Format"); return format; }
    int Quality() override { Read("Quality"); return quality; }
    FrameSelection Selection() override { Read("Selection"); return selection; }
    ImageNaming Naming() override { Read("Naming"); return naming; }
    PictureShape Shape() override { Read("Shape"); return shape; }
    void Remark(const QString& text) override { remarks << text; }

    void ShowMessage(const QString& text) override { messages << text; }
    std::optional<QString> AskText(const QString& prompt, const QString& title, const QString& defaultText) override;
    void ShowErrorReport(const QString& message) override { reports << message; }
    void ExplainProblem(const QString& reason) override { reasons << reason; }
    bool ShowFileMessage(const QString& text, bool othersMayFollow) override;
    void SetBarValue(Bar bar, double percent) override
    {
        (bar == Bar::Files ? filesValue : framesValue) = percent;
        if (bar == Bar::Frames)
            framesValues << percent;
    }
    void SetBarText(Bar bar, const QString& text) override { (bar == Bar::Files ? files : frames) << text; }
    void SetBusy(bool value) override { busy = value; ++busyChanges; }
    bool ShowsFrames() const override { return true; }
    void ShowFrame(const std::shared_ptr<const PackedDib>& frame) override
    {
        if (++previewsShown == 1)
            firstPreview = frame;
    }
    bool StopRequested() override { return stop; }
    bool StopAsked() override { return stopAsked; }

private:
    void Read(const char* member) { if (beforeRead) beforeRead(member); }
};
