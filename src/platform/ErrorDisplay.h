#pragma once
// Runs an event handler: an error that leaves it is shown by the standard error
// display and goes no further, so no exception crosses the event loop.
#include <functional>

// The application title, shown as the caption of the error display.
const char* ApplicationTitleUtf8();

bool RunHandler(const std::function<void()>& handler);
