// measure_peak PROGRAM ARGUMENT...: runs PROGRAM with standard output to
// /dev/null and prints "EXIT PEAK_KIB SECONDS" for it alone. A process that
// forks a large test process keeps that process's resident pages in its own
// peak; forked from this small program, the measured child starts clean.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: measure_peak PROGRAM ARGUMENT...\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (std::freopen("/dev/null", "w", stdout) != nullptr) {
      execv(argv[1], argv + 1);
    }
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) {
    return 1;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::printf("%d %ld %.6f\n", exitStatus, usage.ru_maxrss, elapsed.count());
  return 0;
}
