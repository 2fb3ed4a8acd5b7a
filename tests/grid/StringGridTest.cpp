// The string grid on real windows: cells, views, editing, drawing and events.
#include <gtest/gtest.h>

#include "ssGrids.h"
