#pragma once
// The end of a session on Unix desktops: SIGTERM (sent at logout or by a
// plain kill) and SIGHUP (the terminal went away) quit the editor as Exit
// does instead of ending it on the spot, so that the unsaved game is
// written to its recovery file first.

class QObject;

namespace zq {

// Installs the handlers; the application quits from its event loop.
void quitOnTerminationSignals(QObject* parent);

} // namespace zq
