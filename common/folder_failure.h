#pragma once

#include "common/failure.h"

// A file that could not be written because of the folder it goes to, not because of the file: the
// disk is full, the folder is read-only, not writable or gone. Every later file there would fail the
// same way, so whoever writes many files stops at the first of these.
class FolderFailure : public Failure {
public:
    using Failure::Failure;
};
