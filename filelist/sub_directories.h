#pragma once

#include "filelist/scan_control.h"

#include <QStringList>

// Extends the folder collection (paths ending with a separator) with every acceptable folder below
// the folders it holds, breadth first: all folders one level down (grouped by parent, each group
// in listing order), then all folders two levels down, and so on.
//
// The folders it starts with stay in the collection whatever their attributes, except one that
// cannot be read, which is removed so that nothing of it is listed. Below them a folder is
// collected when it is a folder, its name is acceptable, it is not a hidden system folder and it
// can be read; nothing under a folder that is not collected is looked at. A folder reached again
// through a link or mount is neither listed nor collected again, so link cycles end.
ScanEnd GetSubDirectories2016(QStringList& folders, const StopCheck& stopRequested = {});
