// Where a dialog goes when it is centred on the full screen (the task bar is not
// taken into account). Deciding code: no <windows.h>.
#pragma once

// The coordinate of a window's near edge along one axis, given the screen's extent
// and the window's outer edges `low` and `high` along that axis:
// (screen - (high - low)) / 2, truncated toward zero. A window 3 pixels wider than
// the screen lands at -1, not -2. Results beyond the range of int are clamped.
int CentredCoordinate(int screenExtent, int low, int high);
