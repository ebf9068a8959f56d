#include "convert/conversion_run.h"
