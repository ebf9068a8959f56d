#pragma once

#include <QString>

#include <utility>

// How a conversion run ends: whether it was cut short and why, how many files it could not convert,
// and the final message that tells the user so.
class RunEnding {
public:
    // The user asked to stop.
    void StopAsked() { stopAsked_ = true; }
    // A frame could not be written because of the output folder. True the first time only: that
    // failure alone is reported, since every later frame fails the same way.
    bool FolderFailed() { return !std::exchange(folderFailed_, true); }
    // No new frame or file may start.
    bool CutShort() const { return stopAsked_ || folderFailed_; }

    // A file could not be converted. True when its message is to be shown.
    bool FileNotConverted()
    {
        ++filesNotConverted_;
        return !fileMessagesHidden_;
    }
    // The user chose to see no more messages about files that cannot be converted in this run.
    void HideFileMessages() { fileMessagesHidden_ = true; }
    // A video none of whose frames is among those chosen: no failure, but the end says so.
    void NoFrameChosen() { ++filesWithoutChosenFrames_; }
    // Images there already under their final names, left as they are.
    void ImagesKept(std::int64_t images) { imagesKept_ += images; }
    std::int64_t ImagesKept() const { return imagesKept_; }
    int FilesWithoutChosenFrames() const { return filesWithoutChosenFrames_; }

    // The run's final message. Files whose messages were hidden are counted there instead.
    QString Message(int framesWritten) const;

private:
    bool stopAsked_ = false;
    bool folderFailed_ = false;
    bool fileMessagesHidden_ = false;
    int filesNotConverted_ = 0;
    int filesWithoutChosenFrames_ = 0;
    std::int64_t imagesKept_ = 0;
};
