#include <string>
#include <vector>

#include "app/platform.h"
#include "app/run.h"

int main(int argc, char** argv) {
  UseBinaryStandardOutput();
  std::vector<std::string> arguments = CommandLineArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) {
    pointers.push_back(argument.data());
  }
  pointers.push_back(nullptr);
  return RunCommandLine(static_cast<int>(arguments.size()), pointers.data());
}
