#include "convert/run/conversion_run.h"

#include "common/error_trap.h"
#include "common/folder_failure.h"
#include "common/path_helpers.h"
#include "convert/picture/decoded_picture.h"
#include "convert/run/encode_pool.h"
#include "convert/run/frame_limit.h"
#include "convert/run/frame_progress.h"
#include "convert/run/frame_writer.h"
#include "convert/run/image_names.h"
#include "convert/writers/image_encoder.h"
#include "convert/run/output_stems.h"
#include "convert/run/run_ending.h"
#include "convert/run/thread_budget.h"
#include "convert/source/selected_frames.h"
#include "convert/source/video_frame_source.h"

#include <algorithm>
#include <QElapsedTimer>
#include <QFileInfo>

#include <deque>
#include <future>
#include <limits>

namespace {

const QString kNoFiles = QStringLiteral("No files added.");
const QString kNoFolder = QStringLiteral("Folder does not exist. Please select another folder.");
const QString kFileError = QStringLiteral("There was an error working with the file:\r\n");
const QString kNoDecompressor = QStringLiteral("No suitable decompressor found for this video stream");

// The line label of the statement that makes a frame's output file, by format.
int WriteLabel(OutputFormat format)
{
    switch (format) {
    case OutputFormat::BMP: return 246;
    case OutputFormat::JPG: return 256;
    default: return 262;
    }
}

// What an encoder made of one frame: whether its file was written, and the bitmap it was made from
// when the run asked for it as a preview.
struct FrameResult {
    bool written = false;
    std::shared_ptr<const PackedDib> preview;
};

// One frame on its way through an encoder.
struct FrameJob {
    std::future<FrameResult> done;
    int label = 0;
    std::size_t bytes = 0;  // of its decoded picture
    std::optional<WrittenImage> record;  // for a host that records the images written
};

// The decoded pictures waiting for or in an encoder, together, at most: two 4K 10-bit pictures, one for
// each encoder of a small machine (more only raise the peak, since the decoder is the slower side for
// such pictures). Twice as many pictures as encoders are let through up to that; one always is.
constexpr std::size_t kPictureBytesInFlight = std::size_t{64} << 20;

class Run {
public:
    Run(ConversionHost& host, RunSettings settings)
        : host_(host), trap_(QLatin1String(ErrorReport::kConversionRun), [this](const QString& message) {
              host_.ShowErrorReport(message);
          }),
          budget_(ThreadBudgetFor(settings.threads)), pool_(budget_.encoders), look_{settings.upright, settings.toneMap, {}}
    {
    }

    ConversionRun::Outcome Execute();

private:
    void ConvertFile(int index);
    // Every frame from the first, within the frame-count choice.
    void ConvertFrames(VideoFrameSource& source, ImageNames& names);
    // The frames a selection takes.
    void ConvertSelectedFrames(const QString& path, const FrameSelection& selection, ImageNames& names, int index);
    // Hands the frame to an encoder; false when the file can go no further (its folder cannot be made).
    bool Dispatch(std::shared_ptr<const DecodedPicture> picture, ImageNames& names, std::int64_t frame,
        std::optional<WrittenImage> record = std::nullopt);
    // The limit the frame-count choice sets for a video of `frameCount` frames.
    std::int32_t FrameLimitFor(std::int64_t frameCount);
    // Shows the failure of opening item `index`; true when it opened.
    bool Opened(VideoFrameSource::Status status, const QString& path, const QString& reason, int index);
    // Waits for frames in the order they were dispatched until at most `keep` are in flight and their
    // pictures hold at most `keepBytes`, counting what was written and reporting what failed.
    void Collect(std::size_t keep, std::size_t keepBytes = 0);
    // What became of the frame. The first failure of the output folder is passed on, to be reported,
    // and cuts the run short; frames in flight that fail after it for the same cause are not.
    FrameResult FrameWritten(FrameJob& job);
    // True once no new frame or file may start: the window is closing, the user has asked to stop (a
    // question still open is waited for), or the output folder has failed.
    bool MustEnd();
    // Whether the frame about to be dispatched is to be the window's preview: a few times a second,
    // more would only cost time.
    bool PreviewDue();
    // Waits for the frames in flight without reporting anything: the run is being stopped.
    void Abandon();
    void Message(int label, const QString& text)
    {
        trap_.Run(label, [&] { host_.ShowMessage(text); });
    }
    void Problem(int label, const QString& text)
    {
        Message(label, text);
        ++problemsShown_;
    }
    // The message about item `index`, which cannot be converted, and why, unless the user chose to see
    // no more.
    void FileProblem(int label, const QString& text, const QString& reason, int index);
    int FailuresShown() const { return problemsShown_ + trap_.reportsShown(); }

    ConversionHost& host_;
    ErrorTrap trap_;
    std::int32_t frameLimit_ = 0;
    int itemCount_ = 0;
    int framesWritten_ = 0;
    int problemsShown_ = 0;
    OutputStems stems_;
    RunEnding ending_;
    ThreadBudget budget_;
    EncodePool pool_;
    PictureLook look_;
    std::deque<FrameJob> inFlight_;
    QString currentPath_;  // the video being converted, as the list names it
    int currentIndex_ = 0;
    std::size_t bytesInFlight_ = 0;
    QElapsedTimer sincePreview_;
};

ConversionRun::Outcome Run::Execute()
{
    ConversionRun::Outcome outcome;
    outcome.started = true;

    if (trap_.Test(104, [&] { return host_.ItemCount() == 0; })) {
        Problem(344, kNoFiles);
        outcome.failuresShown = FailuresShown();
        return outcome;
    }
    if (trap_.Test(106, [&] { return !IsFolder(host_.OutputFolder()); })) {
        Problem(342, kNoFolder);
        outcome.failuresShown = FailuresShown();
        return outcome;
    }
    trap_.Run(108, [&] { host_.SetBusy(true); });

    if (trap_.Test(118, [&] { return host_.FrameChoice() == FrameLimit::kEveryX; })) {
        std::optional<QString> answer;
        trap_.Run(120, [&] { answer = host_.AskText(QStringLiteral("Enter x:"), QStringLiteral("Enter x"), QStringLiteral("10")); });
        trap_.Run(122, [&] { frameLimit_ = answer ? FrameLimit::FromAnswer(*answer) : 0; });
    }
    trap_.Run(126, [&] { host_.SetBusy(true); });

    trap_.Run(130, [&] { itemCount_ = host_.ItemCount(); });
    // What fails outside the steps of a file (memory, most likely) is reported, and the next file is tried.
    // The last test comes after the last file, so a question to stop is answered before the run ends.
    for (int i = 1; !MustEnd() && i <= itemCount_; ++i)
        trap_.Run(322, [&] { ConvertFile(i); });
    if (host_.StopRequested()) {
        Abandon();
        return outcome;
    }
    Collect(0);

    trap_.Run(326, [&] { host_.SetBusy(false); });
    trap_.Run(328, [&] { host_.SetBarValue(ConversionHost::Bar::Files, 0); });
    trap_.Run(330, [&] { host_.SetBarText(ConversionHost::Bar::Files, QStringLiteral("Progress Bar 1")); });
    trap_.Run(332, [&] { host_.SetBarValue(ConversionHost::Bar::Frames, 0); });
    trap_.Run(334, [&] { host_.SetBarText(ConversionHost::Bar::Frames, QStringLiteral("Progress Bar 2")); });
    Message(framesWritten_ >= 1 ? 338 : 340, ending_.Message(framesWritten_));

    outcome.framesWritten = framesWritten_;
    outcome.failuresShown = FailuresShown();
    outcome.filesWithoutChosenFrames = ending_.FilesWithoutChosenFrames();
    outcome.imagesKept = ending_.ImagesKept();
    return outcome;
}

void Run::ConvertFile(int index)
{
    trap_.Run(132, [&] { host_.SetBarValue(ConversionHost::Bar::Files, double(index) / host_.ItemCount() * 100.0); });
    QString path;
    trap_.Run(134, [&] { path = host_.ItemText(index); });
    currentPath_ = path;
    currentIndex_ = index;
    trap_.Run(136, [&] { host_.SetBarText(ConversionHost::Bar::Files, QStringLiteral("Processing: ") + FileNameOfPath(path)); });
    ImageNaming naming;
    trap_.Run(142, [&] { naming = host_.Naming(); });
    std::optional<ImageNames> names;
    trap_.Run(142, [&] { names.emplace(host_.OutputFolder(), stems_.Claim(StemOfPath(path)), naming); });
    if (!names)
        return;

    FrameSelection selection;
    trap_.Run(206, [&] { selection = host_.Selection(); });
    trap_.Run(206, [&] { look_.shape = host_.Shape(); });
    // Only an index tells a selection's frames, a frame's time, the video's last position and which
    // images are there already before anything is decoded.
    if (!selection.TakesEverything() || host_.RecordsImages() || naming.keepExisting || naming.padWidth == 0) {
        ConvertSelectedFrames(path, selection, *names, index);
        return;
    }
    VideoFrameSource source;
    VideoFrameSource::Status status = VideoFrameSource::Status::FileError;
    if (!trap_.Run(148, [&] { status = source.Open(path, budget_.Decoding(), look_); }))
        return;  // reported already, with its cause
    if (!Opened(status, path, source.FailureReason(), index))
        return;
    ConvertFrames(source, *names);
    // Frames still in the encoders hold their own bitmaps, so the video can be released now.
    trap_.Run(304, [&] { source.Release(); });
}

bool Run::Opened(VideoFrameSource::Status status, const QString& path, const QString& reason, int index)
{
    if (status == VideoFrameSource::Status::NoDecompressor) {
        FileProblem(196, kNoDecompressor, reason, index);
        return false;
    }
    if (status != VideoFrameSource::Status::Ok) {
        FileProblem(320, kFileError + path, reason, index);
        return false;
    }
    return true;
}

std::int32_t Run::FrameLimitFor(std::int64_t frameCount)
{
    const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(frameCount, std::numeric_limits<std::int32_t>::max()));
    trap_.Run(206, [&] { frameLimit_ = FrameLimit::ForChoice(host_.FrameChoice(), count, frameLimit_); });
    return frameLimit_;
}

void Run::ConvertSelectedFrames(const QString& path, const FrameSelection& selection, ImageNames& names, int index)
{
    SelectedFrames frames;
    VideoFrameSource::Status status = VideoFrameSource::Status::FileError;
    if (!trap_.Run(148, [&] { status = frames.Open(path, budget_.Decoding(), budget_.encoders, look_, selection); }))
        return;
    if (!Opened(status, path, frames.FailureReason(), index))
        return;
    frames.KeepFirst(std::max(0, FrameLimitFor(frames.Count())));
    if (frames.Count() == 0) {
        ending_.NoFrameChosen();
        trap_.Run(232, [&] { host_.Remark(QStringLiteral("No frame of this video is among those chosen.")); });
        return;
    }
    names.SetLastPosition(frames.LastPosition());
    std::int64_t kept = 0;
    if (host_.Naming().keepExisting) {
        OutputFormat format = OutputFormat::JPG;
        trap_.Run(244, [&] { format = host_.Format(); });
        // What is there already is neither written again nor decoded for.
        kept = frames.Drop([&](std::int64_t position) { return QFileInfo::exists(names.PathOf(position, format)); });
        ending_.ImagesKept(kept);
        trap_.Run(244, [&] { names.RemoveAbandonedImages(); });
    }
    FrameProgress progress(static_cast<std::int32_t>(frames.Count()), kept);
    std::int64_t taken = 0;
    for (std::int64_t image = 1; image <= frames.Count(); ++image) {
        if (MustEnd())
            return;
        trap_.Run(232, [&] { host_.SetBarText(ConversionHost::Bar::Frames, progress.Text(image)); });
        trap_.Run(236, [&] { host_.SetBarValue(ConversionHost::Bar::Frames, progress.Value(image, 0.0)); });
        std::optional<SelectedFrames::Frame> frame;
        if (!trap_.Run(238, [&] { frame = frames.Next(); }))
            return;
        if (!frame) {
            // An AVI that ends before its header says: what it really gave.
            if (const std::optional<QString> text = FrameProgress::EndText(taken)) {
                trap_.Run(232, [&] { host_.SetBarText(ConversionHost::Bar::Frames, *text); });
                trap_.Run(236, [&] { host_.SetBarValue(ConversionHost::Bar::Frames, 100.0); });
            }
            return;
        }
        if (!frame->picture)
            continue;
        ++taken;
        std::optional<WrittenImage> record;
        if (host_.RecordsImages())
            record = WrittenImage{QString(), path, frame->position, frame->time, frame->timeBase, frame->key};
        if (!Dispatch(std::move(frame->picture), names, frame->position, std::move(record)))
            return;
    }
}

void Run::ConvertFrames(VideoFrameSource& source, ImageNames& names)
{
    // Without a count from the container, every frame means every picture the stream gives.
    constexpr std::int32_t kEveryPicture = std::numeric_limits<std::int32_t>::max();
    const std::optional<std::int32_t> announced = source.FrameCount();
    std::int32_t frameCount = announced.value_or(kEveryPicture);
    FrameLimitFor(frameCount);
    if (frameLimit_ < frameCount)
        frameCount = frameLimit_;
    FrameProgress progress(announced || frameCount < kEveryPicture ? std::optional<std::int32_t>(frameCount) : std::nullopt);
    std::int64_t taken = 0;

    for (std::int32_t frame = source.StartPosition(); frame < frameCount; ++frame) {
        if (MustEnd())
            return;
        trap_.Run(232, [&] { host_.SetBarText(ConversionHost::Bar::Frames, progress.Text(qint64(frame) + 1)); });
        trap_.Run(236, [&] {
            host_.SetBarValue(ConversionHost::Bar::Frames, progress.Value(qint64(frame) + 1, source.ReadFraction()));
        });

        std::shared_ptr<const DecodedPicture> picture;
        // A source that failed (out of memory, say) cannot be trusted with the next position.
        if (!trap_.Run(238, [&] { picture = source.PictureAt(frame); }))
            return;
        if (!picture) {
            if (source.Exhausted()) {
                // Fewer frames than announced, or a video counted as it came: say what it really gave.
                if (const std::optional<QString> text = FrameProgress::EndText(taken)) {
                    trap_.Run(232, [&] { host_.SetBarText(ConversionHost::Bar::Frames, *text); });
                    trap_.Run(236, [&] { host_.SetBarValue(ConversionHost::Bar::Frames, 100.0); });
                }
                return;
            }
            // Positions before the first picture have none either: go on from there at once, or a
            // header that numbers its first chunk far beyond 0 keeps the run busy for hours.
            if (const std::optional<std::int64_t> first = source.FirstPicturePosition())
                frame = static_cast<std::int32_t>(std::clamp<std::int64_t>(*first - 1, frame, frameCount - 1));
            continue;
        }
        ++taken;
        if (!Dispatch(std::move(picture), names, frame))
            return;
    }
}

bool Run::Dispatch(std::shared_ptr<const DecodedPicture> picture, ImageNames& names, std::int64_t frame,
    std::optional<WrittenImage> record)
{
    OutputFormat format = OutputFormat::JPG;
    int quality = 0;
    if (!trap_.Run(244, [&] { format = host_.Format(); }))
        return true;
    trap_.Run(254, [&] { quality = host_.Quality(); });

    const std::size_t bytes = picture->Bytes();
    Collect(2 * pool_.Threads(), kPictureBytesInFlight > bytes ? kPictureBytesInFlight - bytes : 0);
    if (ending_.CutShort())
        return true;
    QString reason;
    if (!names.MakeFolder(reason)) {
        FileProblem(246, kFileError + currentPath_, reason, currentIndex_);
        return false;
    }
    // The picture is converted and encoded on an encoder thread, so decoding never waits for it; the
    // preview is the bitmap made for the file, not a second conversion.
    trap_.Run(WriteLabel(format), [&] {
        const QString path = names.PathOf(frame, format);
        const bool preview = PreviewDue();
        auto task = std::make_shared<std::packaged_task<FrameResult()>>([picture = std::move(picture), format, quality, path, preview] {
            FrameResult result;
            result.written = WriteFrame(*picture, format, quality, path, preview ? &result.preview : nullptr);
            return result;
        });
        if (record)
            record->path = path;
        inFlight_.push_back(FrameJob{task->get_future(), WriteLabel(format), bytes, std::move(record)});
        try {
            pool_.Post([task] { (*task)(); });
        } catch (...) {
            inFlight_.pop_back();  // never started: nothing to wait for
            throw;
        }
        bytesInFlight_ += bytes;
    });
    return true;
}

void Run::Collect(std::size_t keep, std::size_t keepBytes)
{
    while (inFlight_.size() > keep || (!inFlight_.empty() && bytesInFlight_ > keepBytes)) {
        FrameJob job = std::move(inFlight_.front());
        inFlight_.pop_front();
        bytesInFlight_ -= job.bytes;
        FrameResult result;
        if (trap_.Run(job.label, [&] { result = FrameWritten(job); }) && result.written) {
            ++framesWritten_;
            if (result.preview)
                host_.ShowFrame(result.preview);
            if (job.record)
                trap_.Run(job.label, [&] { host_.ImageWritten(*job.record); });
        }
    }
}

FrameResult Run::FrameWritten(FrameJob& job)
{
    try {
        return job.done.get();
    } catch (const FolderFailure&) {
        if (!ending_.FolderFailed())
            return {};
        throw;
    }
}

bool Run::MustEnd()
{
    if (host_.StopRequested())
        return true;
    if (!ending_.CutShort() && host_.StopAsked())
        ending_.StopAsked();
    return ending_.CutShort();
}

void Run::FileProblem(int label, const QString& text, const QString& reason, int index)
{
    if (!ending_.FileNotConverted())
        return;
    ++problemsShown_;
    bool hideOthers = false;
    trap_.Run(label, [&] { hideOthers = host_.ShowFileMessage(text, index < itemCount_); });
    if (!reason.isEmpty())
        trap_.Run(label, [&] { host_.ExplainProblem(reason); });
    if (hideOthers)
        ending_.HideFileMessages();
}

bool Run::PreviewDue()
{
    if (!host_.ShowsFrames() || (sincePreview_.isValid() && sincePreview_.elapsed() < 100))
        return false;
    sincePreview_.start();
    return true;
}

void Run::Abandon()
{
    for (FrameJob& job : inFlight_)
        job.done.wait();
    inFlight_.clear();
    bytesInFlight_ = 0;
}

}  // namespace

ConversionRun::Outcome ConversionRun::Execute(ConversionHost& host, std::atomic<bool>& isConverting, RunSettings settings)
{
    if (isConverting.exchange(true))
        return Outcome{};
    struct ClearWhenDone {
        std::atomic<bool>& flag;
        ~ClearWhenDone() { flag = false; }
    } clear{isConverting};
    try {
        Run run(host, settings);
        return run.Execute();
    } catch (const std::exception& failure) {
        // The run could not even be set up (no memory, no thread): say so, as its first step would.
        ErrorTrap trap(QLatin1String(ErrorReport::kConversionRun), [&](const QString& message) { host.ShowErrorReport(message); });
        trap.Run(100, [&] { throw; });
        return Outcome{true, 0, trap.reportsShown()};
    }
}
