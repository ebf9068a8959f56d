#pragma once

#include "convert/picture/picture_shape.h"
#include "convert/run/image_names.h"
#include "convert/source/frame_selection.h"
#include "convert/writers/output_format.h"

extern "C" {
#include <libavutil/rational.h>
}

#include <QString>

#include <memory>
#include <optional>

class PackedDib;

// An image the run has written, and the frame it shows.
struct WrittenImage {
    QString path;   // the image file
    QString video;  // the video, as the list names it
    std::int64_t position = 0;
    std::int64_t time = 0;  // the picture's time, in ticks of timeBase
    AVRational timeBase{1, 1};
    bool key = false;
};

// What a conversion run reads and shows. The window and the command-line driver implement it; the run
// calls it from its own thread, so every member must be safe to call from a thread other than the
// user-interface thread. Dialog members return only when the user has answered.
class ConversionHost {
public:
    enum class Bar { Files = 1, Frames = 2 };  // ProgressBar1, ProgressBar2

    virtual ~ConversionHost() = default;

    // Inputs, read at the moments the run needs them.
    virtual int ItemCount() = 0;
    virtual QString ItemText(int index) = 0;  // 1-based
    virtual QString OutputFolder() = 0;
    virtual QString FrameChoice() = 0;        // the text of the frame-count choice
    virtual OutputFormat Format() = 0;
    virtual int Quality() = 0;
    // Which frames to take within the frame-count choice: every frame unless the host offers more.
    virtual FrameSelection Selection() { return {}; }
    // How the images are filed: in the output folder itself, positions as they are, unless the host offers more.
    virtual ImageNaming Naming() { return {}; }
    // How the pictures are shaped: as they are, unless the host offers more.
    virtual PictureShape Shape() { return {}; }

    // Dialogs.
    virtual void ShowMessage(const QString& text) = 0;
    // The message about one file the run cannot convert. With `othersMayFollow`, the user may choose to
    // see no more such messages in this run: answers true then. A host that offers no such choice
    // shows a plain message.
    virtual bool ShowFileMessage(const QString& text, bool /*othersMayFollow*/)
    {
        ShowMessage(text);
        return false;
    }
    // An input box; none when the user cancelled.
    virtual std::optional<QString> AskText(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // The composed "Application Error" report; returns when OK was pressed.
    virtual void ShowErrorReport(const QString& message) = 0;
    // Why the file whose message was just shown could not be converted ("not a video file", "no
    // decoder for the video codec ..."), for a host that says more than the message does. Optional.
    virtual void ExplainProblem(const QString& /*reason*/) {}

    // A remark about the file being converted that asks for no answer ("No frame of it is among those
    // chosen"). Optional.
    virtual void Remark(const QString& /*text*/) {}
    // Whether the host keeps a record of every image written (ImageWritten); the run then knows each
    // frame's time and key-frame mark, at the cost of indexing every video.
    virtual bool RecordsImages() const { return false; }
    virtual void ImageWritten(const WrittenImage& /*image*/) {}

    // Progress: a value in percent, unrounded, and the text shown on the bar.
    virtual void SetBarValue(Bar bar, double percent) = 0;
    virtual void SetBarText(Bar bar, const QString& text) = 0;
    virtual void SetBusy(bool busy) = 0;
    // A frame just written, for a live preview, a few times a second and only when ShowsFrames is true:
    // a copy of the bitmap its file was made from (for a JPEG made from planes, the picture converted
    // once for it), made on the encoder's thread.
    virtual bool ShowsFrames() const { return false; }
    virtual void ShowFrame(const std::shared_ptr<const PackedDib>& /*frame*/) {}

    // True once the run must stop at once (the window is closing).
    virtual bool StopRequested() { return false; }
    // True once the user has asked the run to stop: it starts no new frame, finishes those being
    // encoded and ends with "Stopped.". May wait while the user is still being asked.
    virtual bool StopAsked() { return false; }
};
