#pragma once

#include <QString>
#include <QStringList>

// The real videos in containers other than AVI kept beside the repository, or empty without them.
QString VideoCorpusFolder();

// The pictures of a video's first video stream that is not cover art, as the ffmpeg command puts them
// out: decoded from the start, no picture repeated or dropped for timing, each at its own size, turned
// upright by the display matrix unless `upright` is false, through the filter chain `filters` when one
// is given; the MD5 of each as top-down BGR rows without padding, in output order. Throws when ffmpeg
// fails.
QStringList FfmpegPictureDigests(const QString& video, bool upright = true, const QString& filters = {});

// The same decoded on one thread, as a damaged file needs: FFmpeg's frame threads hide damage
// differently from run to run.
QStringList FfmpegPictureDigestsOnOneThread(const QString& video);

// How many pictures ffprobe counts in that stream.
int FfprobePictureCount(const QString& video);

// Checks the BMP files a run wrote for `video` into `folder`: exactly one per picture of
// FfmpegPictureDigests, named by its place in that order from 0, each equal to it.
void ExpectPicturesMatchFfmpeg(const QString& video, const QString& folder, bool upright = true, const QString& filters = {});
// The same against digests in that order.
void ExpectPicturesMatchDigests(const QString& video, const QString& folder, const QStringList& expected);

// The same for pictures made within a tolerance of ffmpeg's: none more than `largest` levels off in
// any channel, and at least `withinOne` of them (a share) within one level.
void ExpectPicturesNearFfmpeg(const QString& video, const QString& folder, const QString& filters, int largest, double withinOne);
