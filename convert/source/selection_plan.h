#pragma once

#include "convert/source/frame_selection.h"
#include "convert/source/picture_index.h"

#include <cstdint>
#include <vector>

// The positions `selection` takes among the pictures of `index`, in increasing order, at most `most` of
// them (the frame-count choice keeps the first chosen). Let R be the pictures whose time t has
// from <= t < to, in position order:
// - every frame: all of R; every n-th: R[0], R[n], R[2n], ...
// - one every s seconds: for g = from (0 without one), from + s, ... while g < to and g <= the time of
//   R's last picture, the first picture of R with t >= g, each picture once however many g land on it;
// - n spread: the same for the n points a + (e - a) i / (n - 1), a and e the times of R's first and last
//   picture (n = 1: R's first picture);
// - key frames: the pictures of R marked as key frames.
// Times are compared exactly, as whole-number fractions.
std::vector<std::int64_t> PlanSelection(const PictureIndex& index, const FrameSelection& selection, std::int64_t most);
