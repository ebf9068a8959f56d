#include "convert/image_encoder.h"
