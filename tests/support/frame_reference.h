#pragma once

#include <QString>

// Checks the BMP files a run wrote for `video` into `folder` against the ffmpeg command's own decode:
// exactly the positions the file's chunks give (see ExpectFramesByChunks), no more, each picture equal
// to ffmpeg's (`lossless`) or within 40 dB of it. Answers how many files were expected.
int ExpectFramesMatchFfmpeg(const QString& video, const QString& folder, bool lossless);
