// In-place editing and the drop-down list of the grid window.
#include "grid_fixture.h"
