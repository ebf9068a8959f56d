#include "convert/avi_frame_source.h"
