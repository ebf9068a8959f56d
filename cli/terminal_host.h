#pragma once

#include "cli/command_line.h"
#include "cli/image_index.h"
#include "convert/run/conversion_host.h"

#include <QElapsedTimer>

#include <atomic>
#include <cstdio>

// Serves a conversion run from the command line: inputs from the arguments, the window's messages as
// lines on stderr, progress on stderr (a live line when stderr is a terminal). A signal's number in
// `stopSignal` asks the run to stop, as the window's Stop does.
class TerminalHost : public ConversionHost {
public:
    // `index`: the --index file, when one was asked for.
    TerminalHost(CommandLine line, std::optional<ImageIndex> index, const std::atomic<int>& stopSignal);

    int ItemCount() override { return int(line_.files.size()); }
    QString ItemText(int index) override { return line_.files.value(index - 1); }
    QString OutputFolder() override { return line_.outputFolder; }
    QString FrameChoice() override { return line_.frameChoice; }
    OutputFormat Format() override { return line_.format; }
    int Quality() override { return line_.quality; }
    FrameSelection Selection() override { return line_.selection; }
    ImageNaming Naming() override { return line_.naming; }
    PictureShape Shape() override { return line_.shape; }

    void ShowMessage(const QString& text) override;
    std::optional<QString> AskText(const QString& prompt, const QString& title, const QString& defaultText) override;
    void ShowErrorReport(const QString& message) override;
    void ExplainProblem(const QString& reason) override;

    void Remark(const QString& text) override;
    bool RecordsImages() const override { return index_.has_value(); }
    void ImageWritten(const WrittenImage& image) override;
    // Whether a row of the --index file could not be written.
    bool IndexFailed() const { return indexFailed_; }

    void SetBarValue(Bar, double) override {}
    void SetBarText(Bar bar, const QString& text) override;
    void SetBusy(bool) override {}
    bool StopAsked() override;

private:
    void Print(const QString& text);
    void EndLiveLine();

    CommandLine line_;
    std::optional<ImageIndex> index_;
    bool indexFailed_ = false;
    const std::atomic<int>& stopSignal_;
    bool stopNoticeShown_ = false;
    bool live_;
    bool liveLineShown_ = false;
    QString fileText_;
    QElapsedTimer sinceRedraw_;
};
