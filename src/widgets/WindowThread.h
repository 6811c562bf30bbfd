#pragma once

class QObject;

namespace arvelo {

// Widgets belong to the windows' thread; work done on another one reports through queued
// signals. A control changed from elsewhere ends the program at once, where the change was
// made, instead of corrupting the window later.
void requireWindowThread(const QObject *control);

} // namespace arvelo
