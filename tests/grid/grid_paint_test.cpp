// Layout, scrolling, painting, mouse and keyboard of the grid window.
#include "grid_fixture.h"
