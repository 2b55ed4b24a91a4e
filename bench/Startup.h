#pragma once
// The start-up benchmark's children: this program started again with
// "--startup editor" or "--startup bare" shows that window, quits at its
// first paint, and runs no benchmark (bench/StartupBenchmark.cpp).

namespace zq::bench {

// True when argv asks for a start-up child; it has then run, and exitCode
// is its exit status. Called once the QApplication exists.
bool startupChild(int argc, char** argv, int& exitCode);

} // namespace zq::bench
