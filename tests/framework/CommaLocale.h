// Switches LC_NUMERIC to a locale whose decimal separator is "," (German), compiling it into a
// scratch folder with localedef when the system has none; false when that is impossible.
#pragma once

bool useCommaLocale();

// Back to the "C" numeric locale.
void useCLocale();
