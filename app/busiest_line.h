// The hover tooltip's line that names the process keeping the machine busy,
// in the face's language: "Busiest: chrome.exe 23%". The name is the system's
// own (UTF-16, any characters); a name too long for the screen is shortened.
#pragma once

#include <cstdint>
#include <string>

#include "app/face.h"

// How wide a line comes out in pixels, as the tooltip will draw it; `context`
// is the measurer's own.
using LineWidth = int32_t (*)(const Utf16Text& line, const void* context);

// The face's label, the name, a blank and the whole percent with "%". When
// that is wider than `limit`, the name keeps as much of its beginning as fits
// followed by "…" (never half of a surrogate pair); when not even that fits,
// the label, "…" and the percent.
Utf16Text ComposeBusiestLine(const Face& face, const Utf16Text& name, int32_t percent,
                                  LineWidth width, const void* context, int32_t limit);
